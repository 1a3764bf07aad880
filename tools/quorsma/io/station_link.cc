#include "station_link.h"

#include <cerrno>

#include "register_codec.h"

namespace quorsma::tool::io {
namespace {

constexpr int kByteTimeoutUs = 50000;

}  // namespace

StationLink::StationLink(const Station& station) : rtu_(station.rtu) {
  context_ = station.rtu ? modbus_new_rtu(station.device.c_str(), station.baud, station.parity, station.data_bits,
                                          station.stop_bits)
                         : modbus_new_tcp_pi(station.host.c_str(), std::to_string(station.port).c_str());
  registers_.resize(125);
  bits_.resize(2000);
}

StationLink::~StationLink() {
  Close();
  if (context_ != nullptr) modbus_free(context_);
}

bool StationLink::Connect(const Station& station, std::string* error) {
  if (context_ == nullptr) {
    *error = "libmodbus cannot make a context for " + station.Address();
    return false;
  }
  if (connected_) return true;
  modbus_set_response_timeout(context_, station.timeout_ms / 1000, (station.timeout_ms % 1000) * 1000);
  // Once an answer begins, its bytes follow at once (a character takes 9 ms
  // at 1200 baud): a station that trickles them is cut off instead of holding
  // the link for as long as it likes.
  modbus_set_byte_timeout(context_, 0, kByteTimeoutUs);
  if (modbus_connect(context_) != 0) {
    *error = std::string("cannot connect: ") + modbus_strerror(errno);
    return false;
  }
  connected_ = true;
  return true;
}

void StationLink::Close() {
  if (connected_) modbus_close(context_);
  connected_ = false;
}

bool StationLink::Done(int rc, int expected, std::string* error, bool* answered) {
  if (rc == expected) return true;
  const int code = errno;
  // An exception answer: the station is there and refused.  A bad CRC, a
  // short or foreign answer count as a failed link.
  *answered = rc < 0 && code > MODBUS_ENOBASE && code <= EMBXGTAR;
  *error = rc < 0 ? modbus_strerror(code) : "short answer";
  // A late answer must not be taken for the next request's: a TCP link is
  // made again; a serial line is flushed, or opened again when the device
  // itself failed (a USB adapter pulled out).
  if (!*answered) {
    if (rtu_ && (code == ETIMEDOUT || code > MODBUS_ENOBASE)) modbus_flush(context_);
    else Close();
  }
  return false;
}

bool StationLink::Read(const Station& station, const Transfer& transfer, int32_t* values, std::string* error,
                       bool* answered) {
  *answered = false;
  modbus_set_slave(context_, station.unit);
  modbus_set_response_timeout(context_, station.timeout_ms / 1000, (station.timeout_ms % 1000) * 1000);
  const int items = transfer.Items();
  int rc = -1;
  switch (transfer.table) {
    case Table::kCoils: rc = modbus_read_bits(context_, transfer.address, items, bits_.data()); break;
    case Table::kDiscreteInputs: rc = modbus_read_input_bits(context_, transfer.address, items, bits_.data()); break;
    case Table::kHoldingRegisters:
      rc = modbus_read_registers(context_, transfer.address, items, registers_.data());
      break;
    case Table::kInputRegisters:
      rc = modbus_read_input_registers(context_, transfer.address, items, registers_.data());
      break;
  }
  if (!Done(rc, items, error, answered)) return false;
  if (IsBitTable(transfer.table)) {
    for (int i = 0; i < items; ++i) values[i] = bits_[i] != 0 ? 1 : 0;
  } else {
    DecodeRegisters(registers_.data(), transfer.devices.count, transfer.format, values);
  }
  return true;
}

bool StationLink::Write(const Station& station, const Transfer& transfer, const int32_t* values, std::string* error,
                        bool* answered) {
  *answered = false;
  modbus_set_slave(context_, station.unit);
  modbus_set_response_timeout(context_, station.timeout_ms / 1000, (station.timeout_ms % 1000) * 1000);
  const int items = transfer.Items();
  int rc = -1;
  if (transfer.table == Table::kCoils) {
    for (int i = 0; i < items; ++i) bits_[i] = values[i] != 0 ? 1 : 0;
    rc = modbus_write_bits(context_, transfer.address, items, bits_.data());
  } else {
    EncodeRegisters(values, transfer.devices.count, transfer.format, registers_.data());
    rc = modbus_write_registers(context_, transfer.address, items, registers_.data());
  }
  return Done(rc, items, error, answered);
}

}  // namespace quorsma::tool::io
