// BSFLP: on the rising edge of the rung's result, shifts a run of internal
// relays one place toward higher numbers and clears the first.
//
// The operands are taken as one text "device,count" split at its first comma
// (so a comma inside the device operand moves the split).  The checks, each
// ending the instruction with its message and touching neither a relay nor
// the edge cell:
//  - "BSFLP Error(Invalid Format)": the joined text longer than 63
//    characters, a device number part or a count operand longer than 15
//    characters, or a count that is not a K constant;
//  - "BSFLP Error(Out of Rage)": a start number above 131071 or below 0, or a
//    run whose last relay would lie past M131070 (a start of 131071 included);
//  - "BSFLP Error(Invalid Device)": a device other than M.
// Format, start range and device are tested in that order, the run's end
// last.
#include <cstdint>
#include <cstring>

#include "core/areas.h"
#include "core/decimal.h"
#include "core/messages.h"
#include "ladder/instructions.h"
#include "ladder/result_stack.h"
#include "platform/env.h"

namespace quorsma::ladder {
namespace {

constexpr std::size_t kJoinedLimit = 63;  // characters of the joined text
constexpr std::size_t kFieldLimit = 15;   // characters of a number field
// The highest start number that passes the range check: the count of M, so
// that a start of M131071 (one past the last relay) reaches the run-end check
// and its message rather than the start's.
constexpr int32_t kHighestStart = kLargeArea;

// Decimal value of [begin, end): leading white space, an optional sign,
// then digits up to the first other character; held within int32 at the ends.
int32_t DecimalValue(const char* begin, const char* end) { return ReadInt32(begin, end, kCDecimal); }

}  // namespace

void BSFLP(const Context& c, const char* device, const char* count) {
  int32_t a = Pop(c);
  platform::Env& env = *c.env;

  // "device,count" in a working text of 64 bytes, split at its first comma.
  const std::size_t device_length = std::strlen(device);
  const std::size_t count_length = std::strlen(count);
  if (device_length + 1 + count_length > kJoinedLimit) {
    env.ShowMessage(text::kMsgBsflpFormat);
    return;
  }
  char joined[kJoinedLimit + 1];
  std::memcpy(joined, device, device_length);
  joined[device_length] = ',';
  std::memcpy(joined + device_length + 1, count, count_length + 1);
  const char* comma = std::strchr(joined, ',');
  const char* count_text = comma + 1;
  const char letter = joined[0];  // ',' when the device operand is empty
  const char* number = comma > joined ? joined + 1 : comma;
  if (static_cast<std::size_t>(comma - number) > kFieldLimit || std::strlen(count_text) > kFieldLimit ||
      count_text[0] != 'K') {
    env.ShowMessage(text::kMsgBsflpFormat);
    return;
  }
  const int32_t start = DecimalValue(number, comma);
  if (start > kHighestStart || start < 0) {
    env.ShowMessage(text::kMsgBsflpRange);
    return;
  }
  const int32_t n = DecimalValue(count_text + 1, count_text + std::strlen(count_text));
  if (letter != 'M') {
    env.ShowMessage(text::kMsgBsflpDevice);
    return;
  }
  // The run is M[start] .. M[start + n - 1]; with n of 1 or less only
  // M[start] is touched.
  const int64_t last = static_cast<int64_t>(start) + (n > 1 ? n : 1) - 1;
  if (last >= CountOf(c.image->M)) {
    env.ShowMessage(text::kMsgBsflpRange);
    return;
  }

  if (CheckPulse(c, a) != 1) return;
  // Whole cells, one aligned store each, from the top down; the value of the
  // last relay of the run is dropped.
  int32_t* m = c.image->M;
  for (int32_t i = static_cast<int32_t>(last) - 1; i >= start; --i) m[i + 1] = m[i];
  m[start] = 0;
}

}  // namespace quorsma::ladder
