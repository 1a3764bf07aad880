#include "checked_write.h"

#include <cstdio>
#include <cstring>

namespace qsc {
namespace {

int32_t Refuse(std::string* error, int32_t status, std::string reason) {
  if (error) *error = std::move(reason);
  return status;
}

void CopyText(const std::string& text, char (&field)[32]) {
  std::snprintf(field, sizeof field, "%s", text.c_str());
}

}  // namespace

int32_t CheckWrite(const MH_SHARED_STRUCTURE* image, const Permission& permission, std::string_view text, Role role,
                   int64_t value, qsc_write_target* out, std::string* error) {
  if (role != Role::kWrite && role != Role::kStore) return Refuse(error, QSC_BAD_INPUT, "not a role of writing");
  Operand op;
  std::string reason;
  if (!CheckOperand(text, role, &op, &reason))
    return Refuse(error, QSC_BAD_INPUT, "operand '" + std::string(text) + "': " + reason);
  const std::string written = OperandText(op);
  const bool digits = op.kind == Operand::Kind::kDigits;
  if (digits && op.index_register >= 0)
    return Refuse(error, QSC_BAD_INPUT, written + ": a digit group is written without an index register");

  // The index register is read once; the cells found now are the ones
  // checked and the ones written.
  const int32_t z = op.index_register >= 0 ? image->Z[op.index_register] : 0;
  const int64_t first = op.number + z;
  const int64_t count = digits ? 4 * op.digits : 1;
  if (first < 0 || first + count > AreaCount(op.device))
    return Refuse(error, QSC_OUTSIDE_AREA,
                  written + ": Z" + std::to_string(op.index_register) + " = " + std::to_string(z) +
                      " puts it outside the " + op.device + " area");
  const DeviceRange cells = CellsOf(op, z);
  const std::string target = op.bit >= 0   ? DeviceText(op.device, cells.first) + "." + std::to_string(op.bit)
                             : digits      ? written
                                           : DeviceText(op.device, cells.first);
  const bool granted = op.bit >= 0 ? permission.AllowsBit(op.device, cells.first, op.bit)
                                   : permission.AllowsCells(cells.device, cells.first, cells.Count());
  if (!granted) return Refuse(error, QSC_NOT_ALLOWED, target + " is not in the ranges allowed for writing");

  int32_t stored = 0;
  if (digits) {
    const int64_t limit = (int64_t{1} << (4 * op.digits)) - 1;
    // 32 bits also take the signed value a read shows (-1 for all of them).
    const bool whole_word = op.digits == 8;
    if (value < (whole_word ? int64_t{INT32_MIN} : 0) || value > limit) {
      char text_limit[160];
      std::snprintf(text_limit, sizeof text_limit, "%s holds %d bits: the value is 0 to %lld%s", written.c_str(),
                    4 * op.digits, static_cast<long long>(limit),
                    whole_word ? " (or -2147483648 to -1, as a read shows it)" : "");
      return Refuse(error, QSC_BAD_INPUT, text_limit);
    }
    stored = static_cast<int32_t>(static_cast<uint32_t>(value));
  } else if (op.bit >= 0 || IsBitDevice(op.device)) {
    if (value != 0 && value != 1) return Refuse(error, QSC_BAD_INPUT, target + " is a bit: the value is 0 or 1");
    stored = static_cast<int32_t>(value);
  } else {
    if (value < INT32_MIN || value > INT32_MAX)
      return Refuse(error, QSC_BAD_INPUT, target + " holds 32 bits: the value is -2147483648 to 2147483647");
    stored = static_cast<int32_t>(value);
  }

  qsc_write_target t{};
  CopyText(target, t.operand);
  std::snprintf(t.device, sizeof t.device, "%s", op.device.c_str());
  t.number = cells.first;
  t.bit = op.bit;
  t.cells = cells.Count();
  t.value = stored;
  *out = t;
  return QSC_OK;
}

void ApplyWrite(const qsc_write_target& target) {
  if (target.cells > 1) {
    // A digit group, bit by bit from its first device, as the tool always
    // wrote them: the library writes digit groups of no device by name.
    for (int32_t i = 0; i < target.cells; ++i)
      SetSma(DeviceText(target.device, static_cast<int64_t>(target.number) + i).c_str(),
             (static_cast<uint32_t>(target.value) >> i) & 1);
    return;
  }
  SetSma(target.operand, target.value);
}

}  // namespace qsc
