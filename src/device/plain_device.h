// The plain form of an operand, a device letter and a short number (D100,
// M10, X1F, K5, T3), read and written inline by the ladder instructions
// (ReadDevice, WriteDevice) and by SetSma, so that such an operand costs no
// call into the device code.
//
// Nearly every operand of a ladder program has this form, and a program's
// contacts mix the letters at random.  ReadDevice therefore looks the letter
// up in a table that gives the number base, the area and its value-change
// check as data, with no branch on the letter for the predictor to miss.
// Every other text goes on to the paths behind GetSma and SetSma
// (general_path.h); both ways agree on every text (the unit tests compare
// them with the general parsers, and the device fuzz target GetSma and
// SetSma).
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>

#include "config/value_change_log.h"
#include "core/areas.h"
#include "core/context.h"
#include "device/operand_text.h"

namespace quorsma::device {

// Declared in read.h and write.h.
int32_t SmaTGet(const Context& context, int32_t timer);
void SmaTSet(const Context& context, int32_t timer, int32_t set_value);

// The paths behind the plain form (general_path.h).  GetSmaSuffixed takes a
// text whose short number n ends at `rest`, before a suffix.
int32_t GetSmaGeneral(const Context& context, const char* operand);
int32_t GetSmaSuffixed(const Context& context, const char* operand, int32_t n, const char* rest);
void SetSmaGeneral(const Context& context, const char* operand, int32_t value);

namespace plain {

enum class Kind : uint8_t {
  kNone,      // no plain form
  kArea,      // one cell of an area, then the area's value-change check
  kConstant,  // K: the number itself
  kTimer,     // T: the timer's contact
};

// One device letter as GetSma reads it.  Areas without a value-change check
// name their own cells as the last logged values, so that their check never
// finds a change and needs no branch on the letter.
struct alignas(32) Letter {
  uint8_t base = 0;  // 10 or 16; 0 for a letter with no plain form (no digit is below 0)
  uint8_t end = 0;   // the position after the last digit of a short number: 9 decimal or 7 hexadecimal digits
  Kind read = Kind::kNone;
  uint32_t cells = 0;     // byte offset of the area in the image
  uint32_t count = 0;     // its cells (0 for K and T)
  uint32_t previous = 0;  // byte offset of the last logged values
  // The numbers whose change is acted on with logging off (D300..D1099).
  uint32_t always_from = 0;
  uint32_t always_count = 0;
};

// The out-of-line half of each letter's check, called when the cell differs
// from its last logged value.  Kept apart from the table: it is rarely read.
using Change = void (*)(const Context&, int32_t);

// CheckD's exclusion test, ahead of its out-of-line half.
inline void ChangeD(const Context& c, int32_t i) {
  if (c.image->NoLogD[i] == 0) config::LogChangeD(c, i);
}
inline void NoChange(const Context&, int32_t) {}

constexpr uint8_t EndFor(uint8_t base) { return base == 16 ? 8 : 10; }

// A letter whose cells no check watches.
constexpr Letter Unchecked(uint8_t base, Kind read, uint32_t cells = 0, int32_t count = 0) {
  return Letter{base, EndFor(base), read, cells, static_cast<uint32_t>(count), cells, 0, 0};
}
// A letter of the large areas whose changes are logged.
constexpr Letter Checked(uint8_t base, uint32_t cells, uint32_t previous, uint32_t always_from = 0,
                         uint32_t always_count = 0) {
  return Letter{base, EndFor(base), Kind::kArea, cells, kLargeArea, previous, always_from, always_count};
}

inline constexpr std::size_t kLetterCount = 26;  // A..Z

// Indexed by the letter's distance from 'A'.  S is the step relay here (SM
// has no plain form).
inline constexpr std::array<Letter, kLetterCount> kLetters = [] {
  std::array<Letter, kLetterCount> t{};
  auto at = [&t](char letter) -> Letter& { return t[static_cast<std::size_t>(letter - 'A')]; };
  at('B') = Checked(16, offsetof(Image, B), offsetof(Image, LogPrevB));
  at('D') = Checked(10, offsetof(Image, D), offsetof(Image, LogPrevD), config::kAlwaysRetentiveFirst,
                    config::kAlwaysRetentiveEnd - config::kAlwaysRetentiveFirst);
  at('K') = Unchecked(10, Kind::kConstant);
  at('L') = Checked(10, offsetof(Image, L), offsetof(Image, LogPrevL));
  at('M') = Checked(10, offsetof(Image, M), offsetof(Image, LogPrevM));
  at('R') = Unchecked(10, Kind::kArea, offsetof(Image, R), kSmallArea);
  at('S') = Unchecked(10, Kind::kArea, offsetof(Image, S), kSmallArea);
  at('T') = Unchecked(10, Kind::kTimer);
  at('W') = Checked(16, offsetof(Image, W), offsetof(Image, LogPrevW));
  at('X') = Unchecked(16, Kind::kArea, offsetof(Image, X), kSmallArea);
  at('Y') = Unchecked(16, Kind::kArea, offsetof(Image, Y), kSmallArea);
  at('Z') = Unchecked(10, Kind::kArea, offsetof(Image, Z), kSmallArea);
  return t;
}();

inline constexpr std::array<Change, kLetterCount> kChanges = [] {
  std::array<Change, kLetterCount> t{};
  t.fill(NoChange);
  t['B' - 'A'] = config::LogChangeB;
  t['D' - 'A'] = ChangeD;
  t['L' - 'A'] = config::LogChangeL;
  t['M' - 'A'] = config::LogChangeM;
  t['W' - 'A'] = config::LogChangeW;
  return t;
}();

// The value of a character as a digit: 0-9, and 10-15 for the upper-case
// letters A-F (the short numbers take no others); kEnd for the terminator and
// 255 for anything else.
inline constexpr uint8_t kEnd = 254;
inline constexpr std::array<uint8_t, 256> kDigits = [] {
  std::array<uint8_t, 256> t{};
  t.fill(255);
  t[0] = kEnd;
  for (int c = '0'; c <= '9'; ++c) t[static_cast<std::size_t>(c)] = static_cast<uint8_t>(c - '0');
  for (int c = 'A'; c <= 'F'; ++c) t[static_cast<std::size_t>(c)] = static_cast<uint8_t>(c - 'A' + 10);
  return t;
}();

inline uint32_t Digit(char c) { return kDigits[static_cast<unsigned char>(c)]; }

// The digits of the letter's base from position 1 on, at least one (the
// caller has checked the first, `n`): their value, the position after them
// in `*end`, and whether the text ends there.  Digits beyond the longest
// short number make the value wrap; the caller then does not use it.
inline bool Digits(const char* operand, uint32_t base, uint32_t* n, std::size_t* end) {
  uint32_t v = *n;
  std::size_t i = 2;
  uint32_t d;
  for (; (d = Digit(operand[i])) < base; ++i) v = v * base + d;
  *n = v;
  *end = i;
  return d == kEnd;
}

inline int32_t* Cells(Image& image, uint32_t offset) {
  return reinterpret_cast<int32_t*>(reinterpret_cast<char*>(&image) + offset);
}

// Whether cell n (inside the area) differs from its last logged value in a
// way the value-change check acts on: the test config::CheckM .. CheckD make
// before their out-of-line half.
inline bool Changed(Image& image, const Letter& l, uint32_t n) {
  return (config::Logging(image) || n - l.always_from < l.always_count) &&
         Cells(image, l.previous)[n] != Cells(image, l.cells)[n];
}

// The out-of-line half of the check for cell n of the letter `letter` (its
// distance from 'A'); returns `value`, so that a read calls it last and keeps
// nothing across the call.
int32_t LogChange(const Context& c, std::size_t letter, uint32_t n, int32_t value);

// What GetSma gives for a plain operand that names no cell of an area: K's
// number, T's contact, 0 for a number beyond its area.
inline int32_t ReadOther(const Context& c, const Letter& letter, uint32_t n) {
  if (letter.read == Kind::kConstant) return static_cast<int32_t>(n);
  if (letter.read == Kind::kTimer) return SmaTGet(c, static_cast<int32_t>(n));
  return 0;
}

}  // namespace plain

// GetSma, as the ladder instructions read: the plain form inline, the
// suffixed and general forms behind it (a number too long to be short goes to
// the general parser, as GetSma's one-pass reading has always left it).
inline int32_t ReadDevice(const Context& c, const char* operand) {
  const std::size_t k = static_cast<unsigned char>(operand[0]) - std::size_t{'A'};
  if (k >= plain::kLetterCount) return GetSmaGeneral(c, operand);
  const plain::Letter& letter = plain::kLetters[k];
  uint32_t n = plain::Digit(operand[1]);
  if (n >= letter.base) return GetSmaGeneral(c, operand);
  std::size_t end;
  const bool plain = plain::Digits(operand, letter.base, &n, &end);
  if (end > letter.end) return GetSmaGeneral(c, operand);
  if (!plain) return GetSmaSuffixed(c, operand, static_cast<int32_t>(n), operand + end);
  if (n >= letter.count) return plain::ReadOther(c, letter, n);
  Image& image = *c.image;
  const int32_t value = plain::Cells(image, letter.cells)[n];
  if (plain::Changed(image, letter, n)) return plain::LogChange(c, k, n, value);
  return value;
}

// SetSma: the plain form inline, every other form behind it.  A number beyond
// its area writes nothing.  Writes keep a switch on the letter: output
// instructions write few letters (Y, M, D), which the branch predictor
// learns, and the switch costs fewer instructions than the table.
template <void (*Check)(const Context&, int32_t), std::size_t N>
inline void WriteChecked(const Context& context, int32_t (&area)[N], int32_t n, int32_t value) {
  if (static_cast<uint32_t>(n) < N) {
    area[n] = value;
    Check(context, n);
  }
}
template <std::size_t N>
inline void WriteUnchecked(int32_t (&area)[N], int32_t n, int32_t value) {
  if (static_cast<uint32_t>(n) < N) area[n] = value;
}

inline void WriteDevice(const Context& c, const char* operand, int32_t value) {
  const char first = operand[0];
  int32_t n;
  Image& image = *c.image;
  switch (first) {
    case 'M':
    case 'S':
    case 'L':
    case 'Z':
    case 'T':
    case 'D':
      if (!ShortDecimal(operand + 1, &n)) break;
      switch (first) {
        case 'M': return WriteChecked<config::CheckM>(c, image.M, n, value);
        case 'S': return WriteUnchecked(image.S, n, value);
        case 'L': return WriteChecked<config::CheckL>(c, image.L, n, value);
        case 'Z': return WriteUnchecked(image.Z, n, value);
        case 'T': return SmaTSet(c, n, value);
        default: return WriteChecked<config::CheckD>(c, image.D, n, value);
      }
    case 'X':
    case 'Y':
    case 'B':
    case 'W':
      if (!ShortHex(operand + 1, &n)) break;
      switch (first) {
        case 'X': return WriteUnchecked(image.X, n, value);
        case 'Y': return WriteUnchecked(image.Y, n, value);
        case 'B': return WriteChecked<config::CheckB>(c, image.B, n, value);
        default: return WriteChecked<config::CheckW>(c, image.W, n, value);
      }
    default: break;
  }
  SetSmaGeneral(c, operand, value);
}

}  // namespace quorsma::device
