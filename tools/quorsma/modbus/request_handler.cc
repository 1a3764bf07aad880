#include "request_handler.h"

#include <algorithm>

#include "quorsma/client.h"

namespace quorsma::tool::modbus {

using namespace quorsma::client;
namespace {

constexpr int kHeaderLength = 7;  // transaction, protocol, length, unit

// Quantity limits of the protocol.
constexpr int kMaxReadBits = 2000;
constexpr int kMaxReadRegisters = 125;
constexpr int kMaxWriteBits = 1968;
constexpr int kMaxWriteRegisters = 123;
constexpr int kMaxReadWriteRegisters = 121;

int Get16(const uint8_t* p) { return (p[0] << 8) | p[1]; }

bool InSpace(int address, int count) { return address + count <= 65536; }

// The part of `range` inside [address, end), as offsets into the range.
void Overlap(const MapRange& range, int32_t address, int32_t end, int32_t* from, int32_t* to) {
  *from = std::max(address, range.first_address) - range.first_address;
  *to = std::min(end, range.EndAddress()) - range.first_address;
}

}  // namespace

bool IsServedFunction(int function) {
  switch (function) {
    case MODBUS_FC_READ_COILS:
    case MODBUS_FC_READ_DISCRETE_INPUTS:
    case MODBUS_FC_READ_HOLDING_REGISTERS:
    case MODBUS_FC_READ_INPUT_REGISTERS:
    case MODBUS_FC_WRITE_SINGLE_COIL:
    case MODBUS_FC_WRITE_SINGLE_REGISTER:
    case MODBUS_FC_WRITE_MULTIPLE_COILS:
    case MODBUS_FC_WRITE_MULTIPLE_REGISTERS:
    case MODBUS_FC_WRITE_AND_READ_REGISTERS:
      return true;
    default:
      return false;
  }
}

std::string ExceptionName(int code) {
  switch (code) {
    case MODBUS_EXCEPTION_ILLEGAL_FUNCTION: return "illegal function";
    case MODBUS_EXCEPTION_ILLEGAL_DATA_ADDRESS: return "illegal data address";
    case MODBUS_EXCEPTION_ILLEGAL_DATA_VALUE: return "illegal data value";
    case MODBUS_EXCEPTION_SLAVE_OR_SERVER_FAILURE: return "server device failure";
    case MODBUS_EXCEPTION_GATEWAY_TARGET: return "gateway target device failed to respond";
    default: return "exception " + std::to_string(code);
  }
}

RequestHandler::RequestHandler(MH_SHARED_STRUCTURE* image, const AddressMap* map, WritePermission allow_write,
                               std::mutex* write_lock)
    : image_(image), map_(map), allow_write_(std::move(allow_write)), write_lock_(write_lock) {}

bool RequestHandler::ReadBits(Table table, int32_t address, int32_t count, uint8_t* dest) {
  if (!map_->Cover(table, address, count, &cover_)) return false;
  for (const MapRange* range : cover_) {
    int32_t from = 0, to = 0;
    Overlap(*range, address, address + count, &from, &to);
    const int32_t* cells = DeviceCells(image_, *range->kind) + range->first_device;
    uint8_t* out = dest + (range->first_address + from - address);
    for (int32_t i = from; i < to; ++i) *out++ = cells[i] != 0 ? 1 : 0;
  }
  return true;
}

bool RequestHandler::ReadRegisters(Table table, int32_t address, int32_t count, uint16_t* dest) {
  if (!map_->Cover(table, address, count, &cover_)) return false;
  for (const MapRange* range : cover_) {
    int32_t from = 0, to = 0;
    Overlap(*range, address, address + count, &from, &to);
    const int32_t* cells = DeviceCells(image_, *range->kind) + range->first_device;
    uint16_t* out = dest + (range->first_address + from - address);
    if (!range->wide) {
      for (int32_t i = from; i < to; ++i) *out++ = static_cast<uint16_t>(cells[i]);
      continue;
    }
    const int high_half = range->order == WordOrder::kHighFirst ? 0 : 1;
    for (int32_t i = from; i < to; ++i) {
      const uint32_t value = static_cast<uint32_t>(cells[i / 2]);
      *out++ = static_cast<uint16_t>(i % 2 == high_half ? value >> 16 : value);
    }
  }
  return true;
}

bool RequestHandler::PlanBits(int32_t address, const std::vector<uint8_t>& values) {
  writes_.clear();
  const int32_t count = static_cast<int32_t>(values.size());
  if (!map_->Cover(Table::kCoils, address, count, &cover_)) return false;
  for (const MapRange* range : cover_) {
    if (!range->writable) return false;
    int32_t from = 0, to = 0;
    Overlap(*range, address, address + count, &from, &to);
    for (int32_t i = from; i < to; ++i) {
      const int32_t number = range->first_device + i;
      if (!allow_write_(*range->kind, number)) return false;
      writes_.push_back({range->kind, number, values[range->first_address + i - address]});
    }
  }
  return true;
}

bool RequestHandler::PlanRegisters(int32_t address, const std::vector<uint16_t>& values) {
  writes_.clear();
  const int32_t count = static_cast<int32_t>(values.size());
  if (!map_->Cover(Table::kHoldingRegisters, address, count, &cover_)) return false;
  for (const MapRange* range : cover_) {
    if (!range->writable) return false;
    int32_t from = 0, to = 0;
    Overlap(*range, address, address + count, &from, &to);
    const uint16_t* in = values.data() + (range->first_address + from - address);
    if (!range->wide) {
      for (int32_t i = from; i < to; ++i, ++in) {
        const int32_t number = range->first_device + i;
        if (!allow_write_(*range->kind, number)) return false;
        writes_.push_back({range->kind, number, static_cast<int16_t>(*in)});
      }
      continue;
    }
    if (from % 2 != 0 || to % 2 != 0) return false;  // half of a 32-bit device
    for (int32_t i = from; i < to; i += 2, in += 2) {
      const int32_t number = range->first_device + i / 2;
      if (!allow_write_(*range->kind, number)) return false;
      const uint32_t high = range->order == WordOrder::kHighFirst ? in[0] : in[1];
      const uint32_t low = range->order == WordOrder::kHighFirst ? in[1] : in[0];
      writes_.push_back({range->kind, number, static_cast<int32_t>((high << 16) | low)});
    }
  }
  return true;
}

bool RequestHandler::ApplyWrites() {
  std::lock_guard<std::mutex> hold(*write_lock_);
  const int64_t messages = LibraryMessageCount();
  for (const PendingWrite& write : writes_) SetSma(DeviceName(*write.kind, write.number).c_str(), write.value);
  return LibraryMessageCount() == messages;
}

int RequestHandler::Handle(const uint8_t* request, int length, modbus_mapping_t* scratch,
                           RequestSummary* summary) {
  const uint8_t* pdu = request + kHeaderLength;
  const int function = pdu[0];
  const int address = Get16(pdu + 1);
  const int count = Get16(pdu + 3);  // the value of the single writes
  *summary = RequestSummary{function, address, count, 0};
  const int data_length = length - kHeaderLength - 6;  // after the byte count of the multiple writes
  auto refuse = [&](int code) {
    summary->exception = code;
    return code;
  };
  switch (function) {
    case MODBUS_FC_READ_COILS:
    case MODBUS_FC_READ_DISCRETE_INPUTS: {
      if (count < 1 || count > kMaxReadBits) return refuse(MODBUS_EXCEPTION_ILLEGAL_DATA_VALUE);
      const bool coils = function == MODBUS_FC_READ_COILS;
      if (!InSpace(address, count) ||
          !ReadBits(coils ? Table::kCoils : Table::kDiscreteInputs, address, count,
                    (coils ? scratch->tab_bits : scratch->tab_input_bits) + address))
        return refuse(MODBUS_EXCEPTION_ILLEGAL_DATA_ADDRESS);
      return 0;
    }
    case MODBUS_FC_READ_HOLDING_REGISTERS:
    case MODBUS_FC_READ_INPUT_REGISTERS: {
      if (count < 1 || count > kMaxReadRegisters) return refuse(MODBUS_EXCEPTION_ILLEGAL_DATA_VALUE);
      const bool holding = function == MODBUS_FC_READ_HOLDING_REGISTERS;
      if (!InSpace(address, count) ||
          !ReadRegisters(holding ? Table::kHoldingRegisters : Table::kInputRegisters, address, count,
                         (holding ? scratch->tab_registers : scratch->tab_input_registers) + address))
        return refuse(MODBUS_EXCEPTION_ILLEGAL_DATA_ADDRESS);
      return 0;
    }
    case MODBUS_FC_WRITE_SINGLE_COIL: {
      summary->count = 1;
      if (count != 0xFF00 && count != 0) return refuse(MODBUS_EXCEPTION_ILLEGAL_DATA_VALUE);
      if (!PlanBits(address, {static_cast<uint8_t>(count != 0)})) return refuse(MODBUS_EXCEPTION_ILLEGAL_DATA_ADDRESS);
      if (!ApplyWrites()) return refuse(MODBUS_EXCEPTION_SLAVE_OR_SERVER_FAILURE);
      return 0;
    }
    case MODBUS_FC_WRITE_SINGLE_REGISTER: {
      summary->count = 1;
      if (!PlanRegisters(address, {static_cast<uint16_t>(count)})) return refuse(MODBUS_EXCEPTION_ILLEGAL_DATA_ADDRESS);
      if (!ApplyWrites()) return refuse(MODBUS_EXCEPTION_SLAVE_OR_SERVER_FAILURE);
      return 0;
    }
    case MODBUS_FC_WRITE_MULTIPLE_COILS: {
      const int bytes = pdu[5];
      if (count < 1 || count > kMaxWriteBits || bytes != (count + 7) / 8 || data_length != bytes)
        return refuse(MODBUS_EXCEPTION_ILLEGAL_DATA_VALUE);
      if (!InSpace(address, count)) return refuse(MODBUS_EXCEPTION_ILLEGAL_DATA_ADDRESS);
      std::vector<uint8_t> values(count);
      for (int i = 0; i < count; ++i) values[i] = (pdu[6 + i / 8] >> (i % 8)) & 1;
      if (!PlanBits(address, values)) return refuse(MODBUS_EXCEPTION_ILLEGAL_DATA_ADDRESS);
      if (!ApplyWrites()) return refuse(MODBUS_EXCEPTION_SLAVE_OR_SERVER_FAILURE);
      return 0;
    }
    case MODBUS_FC_WRITE_MULTIPLE_REGISTERS: {
      const int bytes = pdu[5];
      if (count < 1 || count > kMaxWriteRegisters || bytes != count * 2 || data_length != bytes)
        return refuse(MODBUS_EXCEPTION_ILLEGAL_DATA_VALUE);
      if (!InSpace(address, count)) return refuse(MODBUS_EXCEPTION_ILLEGAL_DATA_ADDRESS);
      std::vector<uint16_t> values(count);
      for (int i = 0; i < count; ++i) values[i] = static_cast<uint16_t>(Get16(pdu + 6 + 2 * i));
      if (!PlanRegisters(address, values)) return refuse(MODBUS_EXCEPTION_ILLEGAL_DATA_ADDRESS);
      if (!ApplyWrites()) return refuse(MODBUS_EXCEPTION_SLAVE_OR_SERVER_FAILURE);
      return 0;
    }
    case MODBUS_FC_WRITE_AND_READ_REGISTERS: {
      const int write_address = Get16(pdu + 5);
      const int write_count = Get16(pdu + 7);
      const int bytes = pdu[9];
      if (count < 1 || count > kMaxReadRegisters || write_count < 1 || write_count > kMaxReadWriteRegisters ||
          bytes != write_count * 2 || length - kHeaderLength - 10 != bytes)
        return refuse(MODBUS_EXCEPTION_ILLEGAL_DATA_VALUE);
      if (!InSpace(address, count) || !InSpace(write_address, write_count) ||
          !map_->Cover(Table::kHoldingRegisters, address, count, &cover_))
        return refuse(MODBUS_EXCEPTION_ILLEGAL_DATA_ADDRESS);
      std::vector<uint16_t> values(write_count);
      for (int i = 0; i < write_count; ++i) values[i] = static_cast<uint16_t>(Get16(pdu + 10 + 2 * i));
      if (!PlanRegisters(write_address, values)) return refuse(MODBUS_EXCEPTION_ILLEGAL_DATA_ADDRESS);
      if (!ApplyWrites()) return refuse(MODBUS_EXCEPTION_SLAVE_OR_SERVER_FAILURE);
      // The reply reads after the write, as the protocol orders; libmodbus
      // also copies the written values into `scratch` first, which the image
      // now holds as well.
      ReadRegisters(Table::kHoldingRegisters, address, count, scratch->tab_registers + address);
      return 0;
    }
    default:
      return refuse(MODBUS_EXCEPTION_ILLEGAL_FUNCTION);
  }
}

}  // namespace quorsma::tool::modbus
