// One Modbus connection as a master: a TCP station's socket, or a serial
// line shared by the RTU stations on it.  A transfer moves one block in one
// request, so a block read is whole or not at all.
#pragma once

#include <modbus/modbus.h>

#include <cstdint>
#include <string>
#include <vector>

#include "io_config.h"

namespace quorsma::tool::io {

class StationLink {
 public:
  // The link of `station` (its TCP address, or its serial line and settings).
  explicit StationLink(const Station& station);
  ~StationLink();
  StationLink(const StationLink&) = delete;
  StationLink& operator=(const StationLink&) = delete;

  // Connects when not connected; false with the reason.
  bool Connect(const Station& station, std::string* error);
  void Close();
  bool connected() const { return connected_; }

  // Reads a transfer's block into `values` (device values), or writes
  // `values` to it.  False with the reason; `answered` tells whether the
  // station answered (an exception) rather than the link failing.
  bool Read(const Station& station, const Transfer& transfer, int32_t* values, std::string* error, bool* answered);
  bool Write(const Station& station, const Transfer& transfer, const int32_t* values, std::string* error,
             bool* answered);

 private:
  bool Done(int rc, int expected, std::string* error, bool* answered);

  modbus_t* context_ = nullptr;
  bool connected_ = false;
  bool rtu_ = false;
  std::vector<uint16_t> registers_;
  std::vector<uint8_t> bits_;
};

}  // namespace quorsma::tool::io
