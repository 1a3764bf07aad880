// Reading devices for display: the value as a ladder contact reads it
// (GetSma), the device's comment, and for timers their current and set time.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "quorsma/quorsma.h"

namespace quorsma::tool {

struct DeviceRow {
  std::string operand;
  int32_t value = 0;
  std::string comment;  // CP949 bytes; empty when none
  std::string detail;   // timers: "1.20 s of 3.00 s"
};

// Reads one operand that CheckOperand accepted for Role::kValue.
DeviceRow ReadDevice(MH_SHARED_STRUCTURE* image, const std::string& operand);

// A table of the rows, with comments converted for the terminal.
std::string RenderTable(const std::vector<DeviceRow>& rows);

// The comment of a device (CP949 bytes, at most 255), empty when it has none
// or the operand names no comment area.
std::string CommentOf(const std::string& operand);

}  // namespace quorsma::tool
