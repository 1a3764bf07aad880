// Device kinds, operands and the library's version.
#include <cstdio>

#include "../device_kinds.h"
#include "../operand_grammar.h"
#include "../range_grammar.h"
#include "out_text.h"


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

QSC_EXPORT const int32_t* QSC_CALL qsc_device_cells(const MH_SHARED_STRUCTURE* image, const qsc_device_kind* kind) {
  return KindCells(const_cast<MH_SHARED_STRUCTURE*>(image), kind);
}

QSC_EXPORT const char* QSC_CALL qsc_device_comments(const MH_SHARED_STRUCTURE* image, const qsc_device_kind* kind) {
  return KindComments(const_cast<MH_SHARED_STRUCTURE*>(image), kind);
}

QSC_EXPORT int32_t QSC_CALL qsc_operand_parse(const char* text, size_t length, int32_t role, qsc_operand* out,
                                              char* error, size_t error_size) {
  if (role < QSC_ROLE_VALUE || role > QSC_ROLE_ANY) return Refused(QSC_BAD_INPUT, "unknown role", error, error_size);
  Operand op;
  std::string reason;
  const bool ok = role == QSC_ROLE_ANY ? ParseOperand(In(text, length), &op, &reason)
                                       : CheckOperand(In(text, length), static_cast<Role>(role), &op, &reason);
  if (!ok) return Refused(QSC_BAD_INPUT, reason, error, error_size);
  if (out != nullptr) *out = op.ToC();
  return QSC_OK;
}

QSC_EXPORT size_t QSC_CALL qsc_operand_text(const qsc_operand* op, char* out, size_t size) {
  return OutText(OperandText(Operand::From(*op)), out, size);
}

QSC_EXPORT size_t QSC_CALL qsc_device_text(const char* device, int64_t number, char* out, size_t size) {
  return OutText(DeviceText(device == nullptr ? "" : device, number), out, size);
}

QSC_EXPORT int32_t QSC_CALL qsc_operand_cells(const qsc_operand* op, int32_t z_value, qsc_range* out) {
  if (op->kind == QSC_OPERAND_CONSTANT) return QSC_BAD_INPUT;
  const Operand parsed = Operand::From(*op);
  const int64_t first = parsed.number + (parsed.index_register >= 0 ? z_value : 0);
  const int64_t count = parsed.kind == Operand::Kind::kDigits ? 4 * parsed.digits : 1;
  const DeviceRange cells = CellsOf(parsed, z_value);
  *out = cells.ToC();
  return first >= 0 && first + count <= AreaCount(parsed.device) ? QSC_OK : QSC_OUTSIDE_AREA;
}

}  // extern "C"
