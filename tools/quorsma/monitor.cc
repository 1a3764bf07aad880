#include "monitor.h"

#include <algorithm>
#include <cstdio>
#include <cstring>

#include "operand_syntax.h"
#include "text_encoding.h"

namespace quorsma::tool {
namespace {

// Tcur and Tset count in units of 10 ms.
std::string Seconds(int32_t units) {
  char text[32];
  std::snprintf(text, sizeof text, "%.2f s", static_cast<double>(units) / 100.0);
  return text;
}

}  // namespace

std::string CommentOf(const std::string& operand) {
  const char* entry = GetComSma(operand.c_str());
  if (entry == nullptr) return {};
  const void* end = std::memchr(entry, '\0', QSMA_COMMENT_BYTES);
  std::size_t n = end ? static_cast<std::size_t>(static_cast<const char*>(end) - entry) : QSMA_COMMENT_BYTES;
  return std::string(entry, n);
}

DeviceRow ReadDevice(MH_SHARED_STRUCTURE* image, const std::string& operand) {
  DeviceRow row;
  row.operand = operand;
  row.value = GetSma(operand.c_str());
  Operand op;
  std::string error;
  if (!ParseOperand(operand, &op, &error)) return row;
  if (op.kind == Operand::Kind::kDevice || op.kind == Operand::Kind::kDigits) row.comment = CommentOf(operand);
  if (op.kind == Operand::Kind::kDevice && op.device == "T" && image != nullptr) {
    const auto t = static_cast<std::size_t>(op.number);
    row.detail = Seconds(image->Tcur[t]) + " of " + Seconds(image->Tset[t]) + (image->Tcoil[t] > 0 ? ", coil on" : "");
  }
  return row;
}

std::string RenderTable(const std::vector<DeviceRow>& rows) {
  std::size_t operand_width = 6, detail_width = 0;
  for (const DeviceRow& row : rows) {
    operand_width = std::max(operand_width, row.operand.size());
    detail_width = std::max(detail_width, row.detail.size());
  }
  std::string out;
  char line[512];
  std::snprintf(line, sizeof line, "%-*s %11s  %-*s%sCOMMENT\n", static_cast<int>(operand_width), "DEVICE", "VALUE",
                static_cast<int>(detail_width), detail_width ? "TIMER" : "", detail_width ? "  " : "");
  out += line;
  for (const DeviceRow& row : rows) {
    std::snprintf(line, sizeof line, "%-*s %11d  %-*s%s", static_cast<int>(operand_width), row.operand.c_str(),
                  row.value, static_cast<int>(detail_width), row.detail.c_str(), detail_width ? "  " : "");
    out += line;
    out += ToTerminal(row.comment);
    out += '\n';
  }
  return out;
}

}  // namespace quorsma::tool
