#include "change_line.h"

#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <string_view>

namespace qsc {
namespace {

// The flag is shared with other processes; these are the plain aligned
// 32-bit accesses of the image, with the ordering a hand-over needs: the line
// is read only after the flag was seen set, and the flag is cleared only
// after the line was copied.
int32_t LoadAcquire(int32_t& cell) { return std::atomic_ref<int32_t>(cell).load(std::memory_order_acquire); }
void StoreRelease(int32_t& cell, int32_t value) {
  std::atomic_ref<int32_t>(cell).store(value, std::memory_order_release);
}

// The line up to its terminator, or the whole field when it has none.
std::size_t CopyLine(const char (&field)[1024], char (&out)[1025]) {
  const void* end = std::memchr(field, '\0', sizeof field);
  const std::size_t n = end ? static_cast<std::size_t>(static_cast<const char*>(end) - field) : sizeof field;
  std::memcpy(out, field, n);
  out[n] = '\0';
  return n;
}

// Reads an optionally signed decimal number up to `stop`; false when there is
// none or it does not fit 32 bits.
bool ReadSigned(std::string_view text, std::size_t* pos, int32_t* value) {
  std::size_t p = *pos;
  bool negative = p < text.size() && text[p] == '-';
  if (negative) ++p;
  const std::size_t start = p;
  int64_t v = 0;
  while (p < text.size() && text[p] >= '0' && text[p] <= '9') {
    v = v * 10 + (text[p] - '0');
    if (v > 0x80000000LL) return false;
    ++p;
  }
  if (p == start) return false;
  v = negative ? -v : v;
  if (v > INT32_MAX) return false;
  *value = static_cast<int32_t>(v);
  *pos = p;
  return true;
}

bool Expect(std::string_view text, std::size_t* pos, std::string_view what) {
  if (text.substr(*pos, what.size()) != what) return false;
  *pos += what.size();
  return true;
}

}  // namespace

void ParseChange(const char* line, std::size_t length, qsc_change* out) {
  *out = qsc_change{};
  const std::size_t n = length < sizeof out->line - 1 ? length : sizeof out->line - 1;
  std::memcpy(out->line, line, n);
  out->line[n] = '\0';
  out->line_length = static_cast<int32_t>(n);

  const std::string_view text(out->line, n);
  std::size_t pos = 0;
  if (!Expect(text, &pos, "VC => ") || pos >= text.size()) return;
  const char kind = text[pos++];
  if (std::string_view("MBLDW").find(kind) == std::string_view::npos) return;
  if (!Expect(text, &pos, "[")) return;
  const bool hex = kind == 'B' || kind == 'W';
  const std::size_t digits_start = pos;
  int64_t number = 0;
  while (pos < text.size() && pos - digits_start < 8) {
    const char c = text[pos];
    int digit = c >= '0' && c <= '9' ? c - '0' : hex && c >= 'A' && c <= 'F' ? c - 'A' + 10 : -1;
    if (digit < 0) break;
    number = number * (hex ? 16 : 10) + digit;
    ++pos;
  }
  if (pos == digits_start || !Expect(text, &pos, "]=")) return;
  int32_t old_value = 0;
  int32_t new_value = 0;
  if (!ReadSigned(text, &pos, &old_value) || !Expect(text, &pos, " => ") || !ReadSigned(text, &pos, &new_value) ||
      !Expect(text, &pos, " \t: "))
    return;
  const std::string_view comment = text.substr(pos);
  if (comment.size() >= sizeof out->comment) return;
  std::memcpy(out->comment, comment.data(), comment.size());
  out->comment[comment.size()] = '\0';
  out->kind[0] = kind;
  out->number = number;
  out->old_value = old_value;
  out->new_value = new_value;
  out->parsed = 1;
}

bool TakeChange(MH_SHARED_STRUCTURE* image, qsc_change* out) {
  if (LoadAcquire(image->LogLinePending) != 1) return false;
  // A producer of this library writes the line before it sets the flag.  Copy
  // until two copies agree, so that a line being replaced while it is read is
  // not handed on torn.
  char copy[1025];
  char again[1025];
  std::size_t n = CopyLine(image->LogLine, copy);
  for (int tries = 0; tries < 8; ++tries) {
    std::atomic_thread_fence(std::memory_order_acquire);
    const std::size_t m = CopyLine(image->LogLine, again);
    if (m == n && std::memcmp(copy, again, n) == 0) break;
    std::memcpy(copy, again, m + 1);
    n = m;
  }
  // Parsed into the caller's record before the flag is cleared: once the
  // library may hand over the next line, this one is already the caller's.
  ParseChange(copy, n, out);
  out->taken_us = std::chrono::duration_cast<std::chrono::microseconds>(
                      std::chrono::system_clock::now().time_since_epoch())
                      .count();
  StoreRelease(image->LogLinePending, 0);
  return true;
}

}  // namespace qsc
