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

// What a plain write of the letter does after storing the value.
enum class Store : uint8_t {
  kGeneral,    // not written plainly (K, T, R and the letters with no plain form)
  kUnchecked,  // nothing
  kChecked,    // the area's value-change check
};

// One device letter as GetSma reads it.  Areas without a value-change check
// name their own cells as the last logged values, so that their check never
// finds a change and needs no branch on the letter.
struct alignas(32) Letter {
  uint8_t base = 0;  // 10 or 16; 0 for a letter with no plain form (no digit is below 0)
  uint8_t end = 0;   // the position after the last digit of a short number: 9 decimal or 7 hexadecimal digits
  Kind read = Kind::kNone;
  Store write = Store::kGeneral;
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
constexpr Letter Unchecked(uint8_t base, Kind read, Store write, uint32_t cells = 0, int32_t count = 0) {
  return Letter{base, EndFor(base), read, write, cells, static_cast<uint32_t>(count), cells, 0, 0};
}
// A letter of the large areas whose changes are logged.
constexpr Letter Checked(uint8_t base, uint32_t cells, uint32_t previous, uint32_t always_from = 0,
                         uint32_t always_count = 0) {
  return Letter{base,       EndFor(base), Kind::kArea,  Store::kChecked, cells,
                kLargeArea, previous,     always_from, always_count};
}

inline constexpr std::size_t kLetterCount = 26;  // A..Z

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

// Indexed by the letter's distance from 'A'.  S is the step relay here (SM
// has no plain form).
constexpr std::array<Letter, kLetterCount> MakeLetters() {
  std::array<Letter, kLetterCount> t{};
  auto at = [&t](char letter) -> Letter& { return t[static_cast<std::size_t>(letter - 'A')]; };
  at('B') = Checked(16, offsetof(Image, B), offsetof(Image, LogPrevB));
  at('D') = Checked(10, offsetof(Image, D), offsetof(Image, LogPrevD), config::kAlwaysRetentiveFirst,
                    config::kAlwaysRetentiveEnd - config::kAlwaysRetentiveFirst);
  at('K') = Unchecked(10, Kind::kConstant, Store::kGeneral);
  at('L') = Checked(10, offsetof(Image, L), offsetof(Image, LogPrevL));
  at('M') = Checked(10, offsetof(Image, M), offsetof(Image, LogPrevM));
  at('R') = Unchecked(10, Kind::kArea, Store::kGeneral, offsetof(Image, R), kSmallArea);
  at('S') = Unchecked(10, Kind::kArea, Store::kUnchecked, offsetof(Image, S), kSmallArea);
  at('T') = Unchecked(10, Kind::kTimer, Store::kGeneral);
  at('W') = Checked(16, offsetof(Image, W), offsetof(Image, LogPrevW));
  at('X') = Unchecked(16, Kind::kArea, Store::kUnchecked, offsetof(Image, X), kSmallArea);
  at('Y') = Unchecked(16, Kind::kArea, Store::kUnchecked, offsetof(Image, Y), kSmallArea);
  at('Z') = Unchecked(10, Kind::kArea, Store::kUnchecked, offsetof(Image, Z), kSmallArea);
  return t;
}

// The value of a character as a digit: 0-9, and 10-15 for the upper-case
// letters A-F (the short numbers take no others); kEnd for the terminator and
// 255 for anything else.
inline constexpr uint8_t kEnd = 254;
constexpr std::array<uint8_t, 256> MakeDigits() {
  std::array<uint8_t, 256> t{};
  t.fill(255);
  t[0] = kEnd;
  for (int c = '0'; c <= '9'; ++c) t[static_cast<std::size_t>(c)] = static_cast<uint8_t>(c - '0');
  for (int c = 'A'; c <= 'F'; ++c) t[static_cast<std::size_t>(c)] = static_cast<uint8_t>(c - 'A' + 10);
  return t;
}

// Both tables in one object, so that code reading both needs one register
// for their address.
struct Tables {
  std::array<Letter, kLetterCount> letters;
  std::array<uint8_t, 256> digits;
};
inline constexpr Tables kTables{MakeLetters(), MakeDigits()};
inline constexpr const std::array<Letter, kLetterCount>& kLetters = kTables.letters;
inline constexpr const std::array<uint8_t, 256>& kDigits = kTables.digits;

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

// ---- Reads and writes that call nothing ----
// The ladder exports try these first: an export whose whole work they do
// makes no call and saves no register.  Each either does all of its access or
// nothing at all (returns false), and the caller then does the access through
// ReadDevice / WriteDevice, which repeat the reading of the text.

// The letter of a plain operand and its short number `*n`: a letter with a
// plain form, one to the longest short number of digits of its base, and
// the end of the text; null for any other text.  (The first digit is read
// apart from the others: a loop that started with it cost more.)
inline const Letter* PlainOperand(const char* operand, uint32_t* n) {
  const std::size_t k = static_cast<unsigned char>(operand[0]) - std::size_t{'A'};
  if (k >= kLetterCount) return nullptr;
  const Letter* letter = &kLetters[k];
  *n = Digit(operand[1]);
  if (*n >= letter->base) return nullptr;
  std::size_t end;
  return Digits(operand, letter->base, n, &end) && end <= letter->end ? letter : nullptr;
}

// GetSma of a plain operand whose read needs nothing beyond the image: a
// cell whose value-change check has nothing to act on, a number beyond its
// area (0), a constant, and unless `kWritesNothing` the contact of a timer
// inside the timer area (which writes the timer's copies).  An instruction
// that may still decline after a first read reads with kWritesNothing, so
// that a declined instruction has written nothing.
template <bool kWritesNothing = false>
inline bool ReadQuick(Image& image, const char* operand, int32_t* value) {
  uint32_t n;
  const Letter* found = PlainOperand(operand, &n);
  if (found == nullptr) return false;
  const Letter& letter = *found;
  if (n < letter.count) {
    const int32_t v = Cells(image, letter.cells)[n];
    if (Changed(image, letter, n)) return false;
    *value = v;
    return true;
  }
  switch (letter.read) {
    case Kind::kConstant: *value = static_cast<int32_t>(n); return true;
    case Kind::kTimer: {
      if (kWritesNothing || n >= kSmallArea) return false;  // the general path reports numbers beyond
      // As SmaTGet: each cell loaded once, the copies hold the values compared.
      const int32_t current = image.Tcur[n];
      const int32_t set = image.Tset[n];
      *value = 0;
      if (image.Tcoil[n] > 0 && current >= set) {
        image.TcurCopy[n] = current;
        image.TsetCopy[n] = set;
        *value = 1;
      }
      return true;
    }
    default: *value = 0; return true;
  }
}

// Where SetSma puts a value for a plain operand whose write is a plain
// store: the cell (null for a number beyond its area, which writes nothing),
// and whether a given value would leave the value-change check nothing to
// act on.
struct QuickTarget {
  int32_t* cell = nullptr;
  const Letter* letter = nullptr;
  uint32_t n = 0;

  // True when storing `value` needs no value-change check after it: the
  // check of a checked area acts only when logging is on (or the register is
  // saved at every change) and the value differs from the last logged one.
  bool Quiet(const Image& image, int32_t value) const {
    if (cell == nullptr || letter->write != Store::kChecked) return true;
    if (!config::Logging(image) && n - letter->always_from >= letter->always_count) return true;
    return Cells(const_cast<Image&>(image), letter->previous)[n] == value;
  }
};

inline bool WriteTargetQuick(Image& image, const char* operand, QuickTarget* target) {
  uint32_t n;
  const Letter* letter = PlainOperand(operand, &n);
  if (letter == nullptr || letter->write == Store::kGeneral) return false;
  target->letter = letter;
  target->n = n;
  target->cell = n < letter->count ? &Cells(image, letter->cells)[n] : nullptr;
  return true;
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
