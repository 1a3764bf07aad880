// Numbers written in text, read the way the C library's conversions (atoi,
// strtol) read them: leading white space, an optional sign, for hexadecimal
// an optional "0x" where the caller accepts one, then digits up to the first
// character that is not one.  A text without digits reads as 0.
//
// Unlike the C library, a long number never overflows: its magnitude stops
// growing at a cap the caller chooses, so a huge number stays huge (outside
// every device area) instead of wrapping into range.
//
// Everything is inline and allocation-free: operand numbers are read on every
// ladder instruction.
#pragma once

#include <cstdint>

namespace quorsma {

// White space as the C library's number conversions skip it: blank, tab, LF,
// VT, FF and CR.
constexpr bool IsCSpace(char c) { return c == ' ' || (c >= '\t' && c <= '\r'); }

// The blanks that pad a field within one line of a settings file: blank and
// tab (a line break ends the line instead).
constexpr bool IsLineBlank(char c) { return c == ' ' || c == '\t'; }

// Value of `c` as a digit of `base` (10, or 16 with letters in either case),
// or -1.
constexpr int32_t DigitValue(char c, int32_t base) {
  if (c >= '0' && c <= '9') return c - '0';
  if (base == 16) {
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  }
  return -1;
}

// How a number is written.
struct NumberForm {
  int32_t base = 10;                // 10 or 16
  bool (*skipped)(char) = IsCSpace;  // characters skipped before the sign
  bool hex_prefix = false;          // base 16: "0x" or "0X" may come first
};

inline constexpr NumberForm kCDecimal{10, IsCSpace, false};
inline constexpr NumberForm kCHex{16, IsCSpace, false};

// The cap that brings results into the 32-bit range (see ReadInt32).
inline constexpr int64_t kInt32Cap = int64_t{1} << 31;

// The number at the start of [p, end), with its magnitude held at `cap`
// (at most 2^59): the result lies in [-cap, cap].  `end` may be null for a
// NUL-terminated text: the terminator ends the number as any other
// non-digit does, and nothing past it is read.
constexpr int64_t ReadSaturated(const char* p, const char* end, NumberForm form, int64_t cap) {
  auto more = [end](const char* at) { return end == nullptr || at < end; };
  while (more(p) && form.skipped(*p)) ++p;
  bool negative = false;
  if (more(p) && (*p == '+' || *p == '-')) negative = *p++ == '-';
  if (form.base == 16 && form.hex_prefix && more(p) && p[0] == '0' && (end == nullptr || end - p >= 3) &&
      (p[1] == 'x' || p[1] == 'X') && DigitValue(p[2], 16) >= 0)
    p += 2;
  int64_t magnitude = 0;
  for (int32_t d; more(p) && (d = DigitValue(*p, form.base)) >= 0; ++p) {
    magnitude = magnitude * form.base + d;
    if (magnitude > cap) magnitude = cap;
  }
  return negative ? -magnitude : magnitude;
}

// The number as atoi reads it where it fits in 32 bits, and the nearest
// 32-bit limit where it does not.
constexpr int32_t ReadInt32(const char* p, const char* end, NumberForm form) {
  const int64_t n = ReadSaturated(p, end, form, kInt32Cap);
  return n >= kInt32Cap ? INT32_MAX : static_cast<int32_t>(n);
}

}  // namespace quorsma
