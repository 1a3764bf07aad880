// GetSma: the value of the device an operand text names.
//
// GetSma reads the text by its own rules rather than through GetIndex: the
// plain form (D100, X1F, K100, T5, SM400) reads one cell or yields the
// constant; the indexed form handles index-register suffixes (M10Z2), bit
// suffixes (D100.3) and digit reads (K4M100).  Reads of M, B, L, D and W run
// the value-change check of the device after the value is taken.
#include "config/value_change_log.h"
#include "core/areas.h"
#include "core/messages.h"
#include "device/area_access.h"
#include "device/operand_text.h"
#include "device/read.h"
#include "device/report.h"

namespace quorsma::device {
namespace {

// The largest digit read: 8 digits of 4 relays make a 32-bit value.
constexpr int32_t kMaxDigits = 8;

int32_t ReadPlain(const Context& context, const char* operand, const OperandShape& shape) {
  Image& image = *context.image;
  const char* number = operand + 1;
  switch (operand[0]) {
    case 'S':
      if (operand[1] == 'M') return ReadCell(image.SM, ParseDecimal(operand + 2));
      return ReadCell(image.S, ParseDecimal(number));
    case 'M': {
      const int32_t n = ParseDecimal(number);
      const int32_t value = ReadCell(image.M, n);
      config::CheckM(context, n);
      return value;
    }
    case 'K': return ParseDecimal(number);
    case 'Z': return ReadCell(image.Z, ParseDecimal(number));
    case 'T': return SmaTGet(context, ParseDecimal(number));
    case 'X': return ReadCell(image.X, ParseHex(number));
    case 'B': {
      const int32_t n = ParseHex(number);
      const int32_t value = ReadCell(image.B, n);
      config::CheckB(context, n);
      return value;
    }
    case 'L': {
      const int32_t n = ParseDecimal(number);
      const int32_t value = ReadCell(image.L, n);
      config::CheckL(context, n);
      return value;
    }
    case 'Y': return ReadCell(image.Y, ParseHex(number));
    case 'U': return ParseDecimal(From(operand, shape.length, 3));
    case 'R': return ReadCell(image.R, ParseDecimal(number));
    case 'D': {
      const int32_t n = ParseDecimal(number);
      const int32_t value = ReadCell(image.D, n);
      config::CheckD(context, n);
      return value;
    }
    case 'W': {
      const int32_t n = ParseHex(number);
      const int32_t value = ReadCell(image.W, n);
      config::CheckW(context, n);
      return value;
    }
    default:
      ShowMessage(context, text::kMsgGetSmaPlain);
      return 0;
  }
}

// Bit b of a register value; bits outside 0..31 read 0.
constexpr int32_t BitOf(int32_t value, int32_t b) {
  return static_cast<uint32_t>(b) < 32 ? static_cast<int32_t>((static_cast<uint32_t>(value) >> b) & 1u) : 0;
}

// K<d>M<s>: 4 x d relays from M(s + z) on, M(s + z) as bit 0.  A count
// outside 1..8, or a run that does not lie wholly inside M, reads 0.
int32_t ReadDigits(const Image& image, const char* operand, const OperandShape& shape, int64_t z) {
  const int32_t digits = ParseDecimal(operand + 1);
  if (digits < 1 || digits > kMaxDigits) return 0;
  const int32_t count = 4 * digits;
  const int64_t start = int64_t{ParseDecimal(operand + shape.last_m + 1)} + z;
  if (start < 0 || start + count > kLargeArea) return 0;
  uint32_t sum = 0;
  for (int32_t i = 0; i < count; ++i) sum += static_cast<uint32_t>(image.M[start + i]) << i;
  return static_cast<int32_t>(sum);
}

// A bit of a D or W register (when a full stop was seen) or the whole
// register (index suffix only); neither is a message.  The check runs only
// when a cell was read.
template <void (*Check)(const Context&, int32_t), std::size_t N>
int32_t ReadRegister(const Context& context, const int32_t (&area)[N], const char* operand,
                     const OperandShape& shape, int32_t n, int64_t z, const char* message) {
  const int64_t i = int64_t{n} + z;
  if (shape.last_dot == 0 && shape.last_z == 0) {
    ShowMessage(context, message);
    return 0;
  }
  if (!InBounds(area, i)) return 0;
  int32_t value = area[i];
  if (shape.last_dot != 0) value = BitOf(value, ParseBitNumber(operand + shape.last_dot + 1));
  Check(context, n);
  return value;
}

int32_t ReadIndexed(const Context& context, const char* operand, const OperandShape& shape) {
  const Image& image = *context.image;
  const char first = operand[0];

  // Index-register offset; a register number outside Z names no cell.
  int64_t z = 0;
  bool z_valid = true;
  if (shape.last_z != 0) {
    const int32_t k = ParseDecimal(operand + shape.last_z + 1);
    z_valid = InBounds(image.Z, k);
    if (z_valid) z = image.Z[k];
  }

  if (first == 'K' && shape.last_m != 0) return z_valid ? ReadDigits(image, operand, shape, z) : 0;

  int32_t n;
  switch (first) {
    case 'X':
    case 'Y':
    case 'W':
    case 'B': n = ParseHex(operand + 1); break;
    case 'S': n = ParseDecimal(From(operand, shape.length, 2)); break;
    case 'U': n = ParseDecimal(From(operand, shape.length, 3)); break;
    default: n = ParseDecimal(operand + 1); break;
  }

  switch (first) {
    case 'M':
      if (!z_valid) return 0;
      {
        const int32_t value = ReadCell(image.M, int64_t{n} + z);
        config::CheckM(context, n);
        return value;
      }
    case 'B':
      if (!z_valid) return 0;
      {
        const int32_t value = ReadCell(image.B, int64_t{n} + z);
        config::CheckB(context, n);
        return value;
      }
    case 'X': return z_valid ? ReadCell(image.X, int64_t{n} + z) : 0;
    case 'Y': return z_valid ? ReadCell(image.Y, int64_t{n} + z) : 0;
    case 'D':
      if (!z_valid) return 0;
      return ReadRegister<config::CheckD>(context, image.D, operand, shape, n, z, text::kMsgGetSmaD);
    case 'W':
      if (!z_valid) return 0;
      return ReadRegister<config::CheckW>(context, image.W, operand, shape, n, z, text::kMsgGetSmaW);
    case 'G': return 'G';
    default:
      if (n != 0) TraceOperand<text::kFmtTraceGetSma>(context, operand);
      return 0;
  }
}

}  // namespace

int32_t GetSma(const Context& context, const char* operand) {
  OperandShape shape;
  if (!ScanOperand(operand, &shape)) return kBadOperand;
  const char first = operand[0];
  if (shape.suffixes == 0 || first == 'T' || (first == 'S' && operand[1] == 'M')) {
    return ReadPlain(context, operand, shape);
  }
  return ReadIndexed(context, operand, shape);
}

}  // namespace quorsma::device
