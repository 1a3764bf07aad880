// Operand text to element index: GetIndex and the resolver behind the
// cell-addressing operations.
#include "device/operand_index.h"

#include "core/areas.h"
#include "core/messages.h"
#include "device/area_access.h"
#include "device/operand.h"
#include "device/report.h"

namespace quorsma::device {
namespace {

// Index registers above Z20 are unusual enough to be worth a message.
constexpr int32_t kUsualIndexRegisters = 20;

// A D register with a bit suffix is named only when the full stop follows a
// register number of at most five characters (D12345.1); a later full stop
// makes GetIndex report 0.
constexpr int32_t kLastRegisterDotPosition = 5;

OperandIndex Named(int32_t index, const OperandShape& shape) {
  OperandIndex r;
  r.value = index;
  r.cell = index;
  r.shape = shape;
  return r;
}

OperandIndex NoCell(int32_t value, const OperandShape& shape) {
  OperandIndex r;
  r.value = value;
  r.cell = kBadOperand;
  r.shape = shape;
  return r;
}

// The index register named after the last 'Z': its value, or false when its
// number lies outside Z.
bool IndexRegister(const Context& context, const char* operand, const OperandShape& shape, int32_t* value) {
  const int32_t k = ParseDecimal(operand + shape.last_z + 1);
  if (!InBounds(context.image->Z, k)) return false;
  *value = context.image->Z[k];
  return true;
}

// Device number n plus the index register, or -999 when the register number
// lies outside Z or the sum does not fit 32 bits.
int32_t IndexedCell(const Context& context, const char* operand, int32_t n, const OperandShape& shape) {
  int32_t z;
  if (!IndexRegister(context, operand, shape, &z)) return kBadOperand;
  const int64_t sum = int64_t{n} + z;
  return sum < INT32_MIN || sum > INT32_MAX ? kBadOperand : static_cast<int32_t>(sum);
}

// GetIndex's index-register form: the sum, with the message for register
// numbers above 20.
OperandIndex AddIndexRegister(const Context& context, const char* operand, int32_t n, const OperandShape& shape) {
  if (ParseDecimal(operand + shape.last_z + 1) > kUsualIndexRegisters) {
    ShowMessage(context, text::kMsgGetIndexOver20);
  }
  const int32_t cell = IndexedCell(context, operand, n, shape);
  return cell == kBadOperand ? NoCell(kBadOperand, shape) : Named(cell, shape);
}

}  // namespace

OperandIndex ResolveIndex(const Context& context, const char* operand) {
  OperandShape shape;
  bool valid = ScanOperand(operand, &shape);
  if (shape.length == 0) return NoCell(0, shape);
  if (!valid) return NoCell(kBadOperand, shape);

  const char first = operand[0];
  const bool special = first == 'S' && operand[1] == 'M';
  int32_t n;
  switch (first) {
    case 'X':
    case 'Y':
    case 'W':
    case 'B': n = ParseHex(operand + 1); break;
    case 'U': n = ParseDecimal(From(operand, shape.length, 3)); break;
    default: n = ParseDecimal(operand + (special ? 2 : 1)); break;
  }
  if (shape.suffixes == 0 || special) return Named(n, shape);

  switch (first) {
    case 'K':
      if (shape.last_m != 0) return Named(ParseDecimal(operand + shape.last_m + 1), shape);
      break;
    case 'T':
      if (shape.last_k != 0) return Named(n, shape);
      break;
    case 'M':
      return shape.last_z != 0 ? AddIndexRegister(context, operand, n, shape) : Named(n, shape);
    case 'D': {
      if (shape.last_dot == 0) {
        return shape.last_z != 0 ? AddIndexRegister(context, operand, n, shape) : NoCell(0, shape);
      }
      // A bit of a register.  GetIndex reports the register only for a full
      // stop at position 1 to 5 and ignores an index register; the cell is
      // the register that GetSma reads: n, plus the index register if any.
      OperandIndex r = Named(n, shape);
      if (shape.last_dot > kLastRegisterDotPosition) r.value = 0;
      if (shape.last_z != 0) r.cell = IndexedCell(context, operand, n, shape);
      return r;
    }
    case 'W': {
      if (shape.last_z == 0) return Named(n, shape);
      if (shape.last_dot == 0) return AddIndexRegister(context, operand, n, shape);
      // A bit of an indexed register: as for D.
      OperandIndex r = Named(n, shape);
      r.cell = IndexedCell(context, operand, n, shape);
      return r;
    }
    case 'G':
      return NoCell(0, shape);
    default:
      break;
  }
  TraceOperand<text::kFmtTraceGetIndex>(context, operand);
  return NoCell(kBadOperand, shape);
}

int32_t GetIndex(const Context& context, const char* operand) {
  int32_t n;
  if (ShortPlainNumber(operand, &n)) return n;
  return ResolveIndex(context, operand).value;
}

}  // namespace quorsma::device
