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
#include "device/general_path.h"
#include "device/operand_text.h"
#include "device/plain_device.h"
#include "device/read.h"
#include "device/report.h"

namespace quorsma::device {
namespace {

// The largest digit read: 8 digits of 4 relays make a 32-bit value.
constexpr int32_t kMaxDigits = 8;

// What a G text reads as: the character code of G.
constexpr int32_t kGTextValue = 'G';

// The cell of device `first` number n in the plain form; S is the step relay
// here (SM is read apart).
inline int32_t ReadNumbered(const Context& context, char first, int32_t n) {
  Image& image = *context.image;
  int32_t value;
  switch (first) {
    case 'M':
      value = ReadCell(image.M, n);
      config::CheckM(context, n);
      return value;
    case 'K': return n;
    case 'Z': return ReadCell(image.Z, n);
    case 'T': return SmaTGet(context, n);
    case 'X': return ReadCell(image.X, n);
    case 'B':
      value = ReadCell(image.B, n);
      config::CheckB(context, n);
      return value;
    case 'L':
      value = ReadCell(image.L, n);
      config::CheckL(context, n);
      return value;
    case 'Y': return ReadCell(image.Y, n);
    case 'R': return ReadCell(image.R, n);
    case 'D':
      value = ReadCell(image.D, n);
      config::CheckD(context, n);
      return value;
    case 'W':
      value = ReadCell(image.W, n);
      config::CheckW(context, n);
      return value;
    case 'S': return ReadCell(image.S, n);
    default: return 0;
  }
}

int32_t ReadPlain(const Context& context, const char* operand, const OperandShape& shape) {
  const char first = operand[0];
  switch (first) {
    case 'S':
      if (operand[1] == 'M') return ReadCell(context.image->SM, ParseDecimal(operand + 2));
      return ReadNumbered(context, first, ParseDecimal(operand + 1));
    case 'U': return ParseDecimal(From(operand, shape.length, 3));
    case 'M':
    case 'K':
    case 'Z':
    case 'T':
    case 'L':
    case 'R':
    case 'D': return ReadNumbered(context, first, ParseDecimal(operand + 1));
    case 'X':
    case 'B':
    case 'Y':
    case 'W': return ReadNumbered(context, first, ParseHex(operand + 1));
    default:
      ShowMessage(context, text::kMsgGetSmaPlain);
      return 0;
  }
}

// Bit b of a register value; bits outside 0..31 read 0.
constexpr int32_t BitOf(int32_t value, int32_t b) {
  return static_cast<uint32_t>(b) < 32 ? static_cast<int32_t>((static_cast<uint32_t>(value) >> b) & 1u) : 0;
}

// K<d>M<s>: 4 x d relays from M(start) on, M(start) as bit 0, start being s
// plus the index-register offset.  A count outside 1..8, or a run that does
// not lie wholly inside M, reads 0.
int32_t ReadDigits(const Image& image, int32_t digits, int64_t start) {
  if (digits < 1 || digits > kMaxDigits) return 0;
  const int32_t count = 4 * digits;
  if (start < 0 || start + count > kLargeArea) return 0;
  // Four relays per digit, summed as one nibble: the same sum, with fewer
  // dependent steps.
  const auto& m = image.M;
  uint32_t sum = 0;
  for (int32_t g = 0; g < count; g += 4) {
    const int64_t i = start + g;
    const uint32_t nibble = static_cast<uint32_t>(m[i]) + (static_cast<uint32_t>(m[i + 1]) << 1) +
                            (static_cast<uint32_t>(m[i + 2]) << 2) + (static_cast<uint32_t>(m[i + 3]) << 3);
    sum += nibble << g;
  }
  return static_cast<int32_t>(sum);
}

// The indexed form of M, B, X and Y: cell n + z, checked (M, B) on n.
inline int32_t ReadRelay(const Context& context, char first, int32_t n, int64_t z) {
  const Image& image = *context.image;
  const int64_t i = int64_t{n} + z;
  int32_t value;
  switch (first) {
    case 'M':
      value = ReadCell(image.M, i);
      config::CheckM(context, n);
      return value;
    case 'B':
      value = ReadCell(image.B, i);
      config::CheckB(context, n);
      return value;
    case 'X': return ReadCell(image.X, i);
    case 'Y': return ReadCell(image.Y, i);
    default: return 0;
  }
}

// The indexed form of D and W: register n + z whole, or one bit of it; the
// check on n runs only when the register was read.
template <void (*Check)(const Context&, int32_t), std::size_t N>
int32_t ReadRegister(const Context& context, const int32_t (&area)[N], int32_t n, int64_t z, bool bit_form,
                     int32_t bit) {
  const int64_t i = int64_t{n} + z;
  if (!InBounds(area, i)) return 0;
  int32_t value = area[i];
  if (bit_form) value = BitOf(value, bit);
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

  if (first == 'K' && shape.last_m != 0) {
    if (!z_valid) return 0;
    return ReadDigits(image, ParseDecimal(operand + 1), int64_t{ParseDecimal(operand + shape.last_m + 1)} + z);
  }

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
    case 'B':
    case 'X':
    case 'Y': return z_valid ? ReadRelay(context, first, n, z) : 0;
    case 'D':
    case 'W': {
      // A bit with a full stop, the whole register with an index suffix
      // only; a register with neither is a message.
      if (shape.last_dot == 0 && shape.last_z == 0) {
        ShowMessage(context, first == 'D' ? text::kMsgGetSmaD : text::kMsgGetSmaW);
        return 0;
      }
      if (!z_valid) return 0;
      const bool bit_form = shape.last_dot != 0;
      const int32_t bit = bit_form ? ParseBitNumber(operand + shape.last_dot + 1) : 0;
      return first == 'D' ? ReadRegister<config::CheckD>(context, image.D, n, z, bit_form, bit)
                          : ReadRegister<config::CheckW>(context, image.W, n, z, bit_form, bit);
    }
    // A G text (the unit-buffer form of other installations) has no area
    // here; readers have always been given the character code of G for it,
    // and programs compare against that value.
    case 'G': return kGTextValue;
    default:
      if (n != 0) TraceOperand<text::kFmtTraceGetSma>(context, operand);
      return 0;
  }
}

// The suffixed short forms, read in one pass: an index register on a relay or
// register (M10Z2, X1FZ1, D100Z2), a decimal bit number on a register
// (D100.3, W1F.15) and a digit read without index register (K4M100).  `rest`
// follows the device number n.  False for any other text; where true, the
// value is the one the general path gives.
inline bool ReadShortSuffixed(const Context& context, char first, int32_t n, const char* rest, int32_t* value) {
  const Image& image = *context.image;
  int32_t k;
  switch (*rest) {
    case 'Z':
      if (first != 'M' && first != 'B' && first != 'X' && first != 'Y' && first != 'D' && first != 'W') return false;
      if (!ShortDecimal(rest + 1, &k)) return false;
      if (!InBounds(image.Z, k)) {
        *value = 0;
      } else if (first == 'D') {
        *value = ReadRegister<config::CheckD>(context, image.D, n, image.Z[k], false, 0);
      } else if (first == 'W') {
        *value = ReadRegister<config::CheckW>(context, image.W, n, image.Z[k], false, 0);
      } else {
        *value = ReadRelay(context, first, n, image.Z[k]);
      }
      return true;
    case '.':
      if (first != 'D' && first != 'W') return false;
      if (!ShortDecimal(rest + 1, &k)) return false;
      *value = first == 'D' ? ReadRegister<config::CheckD>(context, image.D, n, 0, true, k)
                            : ReadRegister<config::CheckW>(context, image.W, n, 0, true, k);
      return true;
    case 'M':
      if (first != 'K' || !ShortDecimal(rest + 1, &k)) return false;
      *value = ReadDigits(image, n, k);
      return true;
    default: return false;
  }
}

}  // namespace

// Every form: the shape scan, then the plain or the indexed form.  Kept out
// of line, so that the short forms pay for none of it.
[[gnu::noinline]] int32_t GetSmaGeneral(const Context& context, const char* operand) {
  OperandShape shape;
  if (!ScanOperand(operand, &shape)) return kBadOperand;
  const char first = operand[0];
  if (shape.suffixes == 0 || first == 'T' || (first == 'S' && operand[1] == 'M')) {
    return ReadPlain(context, operand, shape);
  }
  return ReadIndexed(context, operand, shape);
}

int32_t GetSmaSuffixed(const Context& context, const char* operand, int32_t n, const char* rest) {
  // Most suffixed operands have one short suffix: read those in one pass.
  int32_t value;
  if (ReadShortSuffixed(context, operand[0], n, rest, &value)) return value;
  return GetSmaGeneral(context, operand);
}

[[gnu::noinline]] int32_t plain::LogChange(const Context& c, std::size_t letter, uint32_t n, int32_t value) {
  kChanges[letter](c, static_cast<int32_t>(n));
  return value;
}

// GetSma as the exports call it: the plain form and the short suffixes in one
// pass, with a switch on the letter.  A client's reads repeat the same few
// operands, which the switch's branches learn, and the suffixed forms cost no
// second call; the ladder instructions read through ReadDevice instead.
int32_t GetSma(const Context& context, const char* operand) {
  const char first = operand[0];
  int32_t n;
  const char* rest;
  switch (first) {
    case 'D':
    case 'M':
    case 'K':
    case 'T':
    case 'L':
    case 'R':
    case 'Z':
    case 'S': rest = ShortDecimalAt(operand + 1, &n); break;
    case 'X':
    case 'Y':
    case 'B':
    case 'W': rest = ShortHexAt(operand + 1, &n); break;
    default: rest = nullptr; break;
  }
  if (rest != nullptr) {
    if (*rest == '\0') return ReadNumbered(context, first, n);
    int32_t value;
    if (ReadShortSuffixed(context, first, n, rest, &value)) return value;
  }
  return GetSmaGeneral(context, operand);
}

}  // namespace quorsma::device
