// Character-level reading of operand texts, shared by the index resolver and
// the value read: the shape scan and the number conversions.
//
// Everything here is inline and allocation-free: it runs once per operand of
// every ladder instruction.  Texts are NUL-terminated; nothing is read past
// the terminator.
#pragma once

#include <cstdint>

#include "core/decimal.h"

namespace quorsma::device {

// What one pass over an operand text finds.  Positions count from 0 at the
// device letter; 0 means "not seen" (position 0 is never scanned).
struct OperandShape {
  int32_t length = 0;    // characters before the terminator
  int32_t suffixes = 0;  // characters 'G'..'Z' or '.' after the first
  int32_t last_z = 0;    // last 'Z' after the first character
  int32_t last_dot = 0;  // last '.'
  int32_t first_dot = 0; // first '.'
  int32_t last_k = 0;    // last 'K'
  int32_t last_m = 0;    // last 'M'
  int32_t digits = 0;    // characters '0'..'9' or 'A'..'F' after the first
};

// The second character of a text that cannot start a device number:
// * + , - . / and : ; < = > ?
constexpr bool IsRejectedSecond(char c) {
  return (c >= '*' && c <= '/') || (c >= ':' && c <= '?');
}

// Scans the text once.  False when it cannot be an operand: empty or a single
// character, a rejected second character, or no number character after the
// first.  The shape is filled either way.
inline bool ScanOperand(const char* text, OperandShape* shape) {
  OperandShape s;
  if (text[0] == '\0') {
    *shape = s;
    return false;
  }
  int32_t i = 1;
  for (char c; (c = text[i]) != '\0'; ++i) {
    if ((c >= '0' && c <= '9') || (c >= 'A' && c <= 'F')) {
      ++s.digits;
    } else if ((c >= 'G' && c <= 'Z') || c == '.') {
      ++s.suffixes;
      switch (c) {
        case 'Z': s.last_z = i; break;
        case 'K': s.last_k = i; break;
        case 'M': s.last_m = i; break;
        case '.':
          s.last_dot = i;
          if (s.first_dot == 0) s.first_dot = i;
          break;
        default: break;
      }
    }
  }
  s.length = i;
  *shape = s;
  return s.length >= 2 && !IsRejectedSecond(text[1]) && s.digits > 0;
}

// A 64-bit result brought into the 32-bit range.
constexpr int32_t Clamp32(int64_t x) {
  return x < INT32_MIN ? INT32_MIN : x > INT32_MAX ? INT32_MAX : static_cast<int32_t>(x);
}

// Decimal number at `p`: leading white space, an optional sign, then digits
// up to the first character that is not one; no digits give 0, and values
// beyond 32 bits saturate.
inline int32_t ParseDecimal(const char* p) { return ReadInt32(p, nullptr, kCDecimal); }

// Hexadecimal number at `p` (digits in either case, no "0x"), with the same
// rules as ParseDecimal.
inline int32_t ParseHex(const char* p) { return ReadInt32(p, nullptr, kCHex); }

// The bit number written after a full stop: decimal digits, or one of the
// hexadecimal digits A..F, which stand for bits 10..15.
inline int32_t ParseBitNumber(const char* p) {
  if (*p >= 'A' && *p <= 'F') return *p - 'A' + 10;
  return ParseDecimal(p);
}

// Short device numbers, read in the same pass that checks the shape: the
// form nearly every operand takes (D100, X1F, M10Z2, D100.3, K4M100).
// ShortDecimalAt reads 1 to 9 decimal digits at `p` and returns the position
// after them, or null for no digit or more than 9; ShortHexAt the same for 1
// to 7 digits 0-9, A-F.  Such numbers need no saturation, and where they are
// found the general conversions give the same values.
inline const char* ShortDecimalAt(const char* p, int32_t* n) {
  uint32_t v = static_cast<unsigned char>(p[0]) - uint32_t{'0'};
  if (v > 9) return nullptr;
  for (int i = 1; i < 10; ++i) {
    const uint32_t d = static_cast<unsigned char>(p[i]) - uint32_t{'0'};
    if (d > 9) {
      *n = static_cast<int32_t>(v);
      return p + i;
    }
    v = v * 10 + d;
  }
  return nullptr;
}

inline const char* ShortHexAt(const char* p, int32_t* n) {
  uint32_t v = 0;
  for (int i = 0; i < 8; ++i) {
    const char c = p[i];
    uint32_t d;
    if (static_cast<unsigned char>(c - '0') <= 9) {
      d = static_cast<uint32_t>(c - '0');
    } else if (static_cast<unsigned char>(c - 'A') <= 5) {
      d = static_cast<uint32_t>(c - 'A' + 10);
    } else {
      if (i == 0) return nullptr;
      *n = static_cast<int32_t>(v);
      return p + i;
    }
    v = v * 16 + d;
  }
  return nullptr;
}

// True when the text at `p` is exactly a short decimal number.
inline bool ShortDecimal(const char* p, int32_t* n) {
  const char* end = ShortDecimalAt(p, n);
  return end != nullptr && *end == '\0';
}

inline bool ShortHex(const char* p, int32_t* n) {
  const char* end = ShortHexAt(p, n);
  return end != nullptr && *end == '\0';
}

// The text from position `from`, or its terminator when the text is shorter.
inline const char* From(const char* text, int32_t length, int32_t from) {
  return text + (from < length ? from : length);
}

}  // namespace quorsma::device
