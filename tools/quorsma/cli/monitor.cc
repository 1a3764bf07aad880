#include "monitor.h"

#include <algorithm>
#include <cstdio>
#include <cstring>

#include "text_encoding.h"

namespace quorsma::tool {
namespace {

// Tcur and Tset count in units of 10 ms.
std::string Seconds(int32_t units) {
  char text[32];
  std::snprintf(text, sizeof text, "%.2f s", static_cast<double>(units) / 100.0);
  return text;
}

std::string TimerDetail(const DeviceValue& v) {
  if (!v.timer) return {};
  return Seconds(v.timer_current) + " of " + Seconds(v.timer_set) + (v.timer_coil ? ", coil on" : "");
}

std::string Padded(const std::string& text, std::size_t width, bool right) {
  if (text.size() >= width) return text;
  const std::string pad(width - text.size(), ' ');
  return right ? pad + text : text + pad;
}

}  // namespace

std::string CommentOf(const std::string& operand) {
  const char* entry = GetComSma(operand.c_str());
  if (entry == nullptr) return {};
  const void* end = std::memchr(entry, '\0', QSMA_COMMENT_BYTES);
  std::size_t n = end ? static_cast<std::size_t>(static_cast<const char*>(end) - entry) : QSMA_COMMENT_BYTES - 1;
  return std::string(entry, n);
}

std::vector<DeviceValue> ReadAll(MH_SHARED_STRUCTURE* image, const std::vector<std::string>& operands,
                                 ReadPath path) {
  std::vector<DeviceValue> rows;
  rows.reserve(operands.size());
  for (const std::string& text : operands) rows.push_back(ReadDeviceValue(image, text, path));
  return rows;
}

std::string RenderTable(const std::vector<DeviceValue>& rows, const TableOptions& options) {
  std::size_t operand_width = 6, value_width = 11, detail_width = 0;
  std::vector<std::string> values, details;
  for (const DeviceValue& row : rows) {
    values.push_back(FormatValue(row, options.format));
    details.push_back(TimerDetail(row));
    operand_width = std::max(operand_width, row.operand.size() + (row.forced ? 2 : 0));
    value_width = std::max(value_width, values.back().size());
    detail_width = std::max(detail_width, details.back().size());
  }
  std::string out;
  auto columns = [&](const std::string& operand, const std::string& value, const std::string& detail) {
    std::string line = Padded(operand, operand_width, false) + " " + Padded(value, value_width, true) + "  ";
    if (detail_width) line += Padded(detail, detail_width, false) + "  ";
    return line;
  };
  if (options.header) out += columns("DEVICE", "VALUE", detail_width ? "TIMER" : "") + "COMMENT\n";
  for (std::size_t i = 0; i < rows.size(); ++i) {
    const DeviceValue& row = rows[i];
    const bool mark = i < options.changed.size() && options.changed[i];
    std::string line = columns(row.operand + (row.forced ? " F" : ""), values[i], details[i]) +
                       EscapeControls(ToTerminal(row.comment));
    while (!line.empty() && line.back() == ' ') line.pop_back();
    out += mark ? options.highlight_on + line + options.highlight_off : line;
    out += '\n';
  }
  return out;
}

}  // namespace quorsma::tool
