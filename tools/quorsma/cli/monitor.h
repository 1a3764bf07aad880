// The device table of get, watch and the demo: operand, value, timer state
// and comment, with comments converted for the terminal and control
// characters shown escaped.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "client_names.h"
#include "quorsma/quorsma.h"

namespace quorsma::tool {

struct TableOptions {
  ValueFormat format = ValueFormat::kDec;
  bool header = true;
  // Rows whose value changed since the previous table (same length as the
  // rows, or empty): marked with `highlight_on` ... `highlight_off`.
  std::vector<bool> changed;
  std::string highlight_on, highlight_off;
};

// A table of the values; forced devices carry "F" after the operand.
std::string RenderTable(const std::vector<DeviceValue>& rows, const TableOptions& options = {});

// Reads each operand text (accepted for Role::kMonitor) by `path`.
std::vector<DeviceValue> ReadAll(MH_SHARED_STRUCTURE* image, const std::vector<std::string>& operands,
                                 ReadPath path = ReadPath::kLibrary);

// The comment of a device by operand text, through the library's lookup
// (CP949 bytes, at most 255); empty when it has none.
std::string CommentOf(const std::string& operand);

}  // namespace quorsma::tool
