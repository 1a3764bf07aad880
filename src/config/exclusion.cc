#include "config/exclusion.h"

#include <cstdint>
#include <vector>

#include "core/areas.h"
#include "core/decimal.h"
#include "core/format.h"
#include "core/messages.h"
#include "platform/env.h"

namespace quorsma::config {
namespace {

constexpr std::size_t kMaxLine = 255;

bool EndsLine(char c) { return c == '\r' || c == '\n' || c == '"' || c == '\0'; }
// Reads a device number from [p, end) as the C library's conversions do:
// blanks, a sign, "0x" before hexadecimal digits, then digits up to the
// first other character.  No digits read as 0; values beyond every area
// saturate so they stay out of range.
int64_t ReadNumber(const char* p, const char* end, bool hex) {
  return ReadInt32(p, end, hex ? NumberForm{16, IsLineBlank, true} : NumberForm{10, IsLineBlank, false});
}

void SetFlag(int32_t* flags, int32_t area, int64_t n) {
  if (n >= 0 && n < area) flags[n] = 1;
}

void ApplyLine(Image& image, const char* p, const char* end) {
  while (p < end && IsLineBlank(*p)) ++p;
  const char* eq = p;
  while (eq < end && *eq != '=') ++eq;
  if (eq == end || eq == p) return;
  const char letter = p[0];
  const char* number = p + 1;
  switch (letter) {
    case 'M': SetFlag(image.NoLogM, kLargeArea, ReadNumber(number, eq, false)); break;
    case 'D': SetFlag(image.NoLogD, kLargeArea, ReadNumber(number, eq, false)); break;
    case 'L': SetFlag(image.NoLogL, kLargeArea, ReadNumber(number, eq, false)); break;
    case 'S':
      // SM names a special relay, which has no flag: not step relay 0.
      if (number < eq && *number == 'M') return;
      SetFlag(image.NoLogS, kSmallArea, ReadNumber(number, eq, false));
      break;
    case 'R': SetFlag(image.NoLogR, kSmallArea, ReadNumber(number, eq, false)); break;
    case 'X': SetFlag(image.NoLogX, kSmallArea, ReadNumber(number, eq, true)); break;
    case 'Y': SetFlag(image.NoLogY, kSmallArea, ReadNumber(number, eq, true)); break;
    default: break;  // B, T, W and any other letter: no flag here
  }
}

}  // namespace

void ApplyMemorySettings(Image& image, const char* text, std::size_t size) {
  const char* p = text;
  const char* end = text + size;
  while (p < end) {
    const char* line_end = p;
    while (line_end < end && !EndsLine(*line_end)) ++line_end;
    const char* cut = (static_cast<std::size_t>(line_end - p) > kMaxLine) ? p + kMaxLine : line_end;
    if (cut > p) ApplyLine(image, p, cut);
    p = line_end + 1;
  }
}

bool ReadMemorySettings(const Context& context, const std::string& path) {
  std::vector<char> bytes;
  if (context.env->ReadFile(path.c_str(), &bytes) != platform::ReadResult::kRead) {
    context.env->Trace(Format(text::kFmtCannotOpenFile, path.c_str()).c_str());
    return false;
  }
  ApplyMemorySettings(*context.image, bytes.data(), bytes.size());
  return true;
}

}  // namespace quorsma::config
