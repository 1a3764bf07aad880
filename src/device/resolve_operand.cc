// ResolveOP: splits an operand text into the parts of a ResolvedOperand for
// clients.  Works on the text and the record only, never on the image.
#include <cstddef>
#include <cstring>

#include "core/messages.h"
#include "device/operand.h"
#include "device/operand_text.h"
#include "device/report.h"

namespace quorsma::device {
namespace {

constexpr bool IsUpper(char c) { return c >= 'A' && c <= 'Z'; }
constexpr bool IsDigit(char c) { return c >= '0' && c <= '9'; }

// Puts `count` characters into a text field of the record, terminated and
// with the rest of the field cleared, so that the field holds exactly these
// characters even when it held longer ones before.  The caller has made sure
// that they fit with their terminator.
template <std::size_t N>
void SetField(char (&field)[N], const char* from, std::size_t count) {
  std::memmove(field, from, count);
  std::memset(field + count, 0, N - count);
}

// A device number of more characters than this is refused: no device area
// has that many elements, whatever the radix.
constexpr std::size_t kMaxNumberCharacters = 11;

// Longest text each field holds with its terminator.
template <std::size_t N>
constexpr std::size_t Fits(const char (&)[N]) {
  return N - 1;
}

}  // namespace

int32_t ResolveOP(const Context& context, const char* operand, ResolvedOperand* record) {
  ResolvedOperand& r = *record;

  // The text, copied without a terminator; one that does not fit the field
  // with a terminator is refused before anything is written.
  std::size_t length = 0;
  while (length < sizeof(r.text) && operand[length] != '\0') ++length;
  if (length >= sizeof(r.text)) return 0;
  std::memcpy(r.text, operand, length);

  // A constant prefix K<n> or an index-register prefix Z<n>.
  std::size_t p = 0;
  if (operand[0] == 'K' || operand[0] == 'Z') {
    const bool constant = operand[0] == 'K';
    if (constant) {
      r.kPending = 1;
    } else {
      r.hasIndex = 1;
    }
    // constText and indexText are the same size, so one reference serves both.
    static_assert(sizeof(r.constText) == sizeof(r.indexText));
    char(&field)[sizeof(r.constText)] = constant ? r.constText : r.indexText;
    std::size_t end = 1;
    while (operand[end] != '\0' && !IsUpper(operand[end])) ++end;
    const std::size_t count = end - 1;
    if (count == 0) {
      p = 1;
    } else {
      if (count > Fits(field)) return 0;
      SetField(field, operand + 1, count);
      if (operand[end] == 'Z') {
        ShowMessage(context, text::kMsgResolveOpKThenZ);
        return 0;
      }
      SetField(r.numberText, field, count);
      const int32_t value = ParseDecimal(field);
      if (constant) {
        r.constValue = value;
      } else {
        r.indexNumber = value;
      }
      r.device[0] = operand[0];
      r.isWord = 1;
      r.kPending = 0;
      r.hasPrefix = 1;
      p = end;
    }
  }

  // The device letter (SM takes two).
  const char device = operand[p];
  switch (device) {
    case 'W':
    case 'B':
    case 'X':
    case 'Y': r.isHex = 1; break;
    case 'T':
    case 'D':
    case 'M':
    case 'L':
    case 'R':
    case 'S': r.isHex = 0; break;
    default: return 0;
  }
  const bool word = device == 'W' || device == 'D' || device == 'R';
  if (word) {
    r.isWord = 1;
  } else {
    // A constant before a bit device counts groups of four bits.
    r.isWord = 0;
    r.constValue = Clamp32(int64_t{r.constValue} * 4);
    r.isBit = 1;
  }
  r.device[0] = device;
  ++p;
  if (device == 'S' && operand[p] == 'M') {
    r.device[1] = 'M';
    ++p;
  }

  // The device number, up to an index suffix, a full stop or the end.  The
  // characters taken stay in numberText when a later check refuses the text
  // (M10.1 leaves "10"); a decimal device stops at its first non-digit with
  // the digits before it.
  std::size_t end = p;
  bool digits_only = true;
  for (char c; (c = operand[end]) != '\0' && c != 'Z' && c != '.'; ++end) {
    if (!r.isHex && !IsDigit(c)) {
      digits_only = false;
      break;
    }
  }
  const std::size_t count = end - p;
  SetField(r.numberText, operand + p, count < Fits(r.numberText) ? count : Fits(r.numberText));
  if (!digits_only) return 0;
  if (count > kMaxNumberCharacters) return 0;
  if (operand[end] == '.' && !word) return 0;
  if (count == 0) return 0;
  r.number = r.isHex ? ParseHex(r.numberText) : ParseDecimal(r.numberText);
  p = end;

  // Bit suffix: one hexadecimal digit after the full stop.
  if (operand[p] == '.') {
    const char digit = operand[p + 1];
    if (digit == '\0') return 0;
    const int32_t bit = DigitValue(digit, 16);
    r.bit = bit < 0 ? 0 : bit;
    r.isBit = 1;
    p += 2;
  }

  // Index suffix: Z and one or more decimal digits to the end.
  if (operand[p] == 'Z') {
    std::size_t digits_end = p + 1;
    while (IsDigit(operand[digits_end])) ++digits_end;
    const std::size_t digits = digits_end - (p + 1);
    if (digits == 0 || operand[digits_end] != '\0' || digits > Fits(r.indexText)) return 0;
    SetField(r.indexText, operand + p + 1, digits);
    r.indexNumber = ParseDecimal(r.indexText);
    r.hasIndex = 1;
    p = digits_end;
  }

  return operand[p] == '\0' ? 1 : 0;
}

}  // namespace quorsma::device
