// Device kinds, operands and the library's version.
#include <cstdio>

#include "conversions.h"
#include "../device_kinds.h"
#include "../operand_grammar.h"
#include "../range_grammar.h"
#include "out_text.h"

namespace qsc {

void ToC(const Operand& op, qsc_operand* out) {
  *out = qsc_operand{};
  out->kind = static_cast<int32_t>(op.kind);
  std::snprintf(out->device, sizeof out->device, "%s", op.device.c_str());
  out->number = op.number;
  out->bit = op.bit;
  out->index_register = op.index_register;
  out->digits = op.digits;
}

Operand FromC(const qsc_operand& op) {
  Operand out;
  out.kind = static_cast<Operand::Kind>(op.kind);
  out.device.assign(op.device, strnlen(op.device, sizeof op.device));
  out.number = op.number;
  out.bit = op.bit;
  out.index_register = op.index_register;
  out.digits = op.digits;
  return out;
}

void ToC(const DeviceRange& range, qsc_range* out) {
  *out = qsc_range{};
  std::snprintf(out->device, sizeof out->device, "%s", range.device.c_str());
  out->first = range.first;
  out->last = range.last;
}

}  // namespace qsc

using namespace qsc;

extern "C" {

QSC_EXPORT const char* QSC_CALL qsc_version(void) { return QSC_VERSION_TEXT; }

QSC_EXPORT int32_t QSC_CALL qsc_device_kind_count(void) {
  int count = 0;
  Kinds(&count);
  return count;
}

QSC_EXPORT const qsc_device_kind* QSC_CALL qsc_device_kind_at(int32_t index) {
  int count = 0;
  const qsc_device_kind* kinds = Kinds(&count);
  return index >= 0 && index < count ? &kinds[index] : nullptr;
}

QSC_EXPORT const qsc_device_kind* QSC_CALL qsc_device_kind_find(const char* name, size_t length) {
  return FindKind(In(name, length));
}

QSC_EXPORT int32_t QSC_CALL qsc_operand_parse(const char* text, size_t length, int32_t role, qsc_operand* out,
                                              char* error, size_t error_size) {
  if (role < QSC_ROLE_VALUE || role > QSC_ROLE_ANY) return Refused(QSC_BAD_INPUT, "unknown role", error, error_size);
  Operand op;
  std::string reason;
  const bool ok = role == QSC_ROLE_ANY ? ParseOperand(In(text, length), &op, &reason)
                                       : CheckOperand(In(text, length), static_cast<Role>(role), &op, &reason);
  if (!ok) return Refused(QSC_BAD_INPUT, reason, error, error_size);
  if (out != nullptr) ToC(op, out);
  return QSC_OK;
}

QSC_EXPORT size_t QSC_CALL qsc_operand_text(const qsc_operand* op, char* out, size_t size) {
  return OutText(OperandText(FromC(*op)), out, size);
}

QSC_EXPORT size_t QSC_CALL qsc_device_text(const char* device, int64_t number, char* out, size_t size) {
  return OutText(DeviceText(device == nullptr ? "" : device, number), out, size);
}

QSC_EXPORT int32_t QSC_CALL qsc_operand_cells(const qsc_operand* op, int32_t z_value, qsc_range* out) {
  if (op->kind == QSC_OPERAND_CONSTANT) return QSC_BAD_INPUT;
  const Operand parsed = FromC(*op);
  const int64_t first = parsed.number + (parsed.index_register >= 0 ? z_value : 0);
  const int64_t count = parsed.kind == Operand::Kind::kDigits ? 4 * parsed.digits : 1;
  const DeviceRange cells = CellsOf(parsed, z_value);
  ToC(cells, out);
  return first >= 0 && first + count <= AreaCount(parsed.device) ? QSC_OK : QSC_OUTSIDE_AREA;
}

}  // extern "C"
