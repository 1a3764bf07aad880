// Import of key=comment lines.
#include <algorithm>
#include <cstring>
#include <string>
#include <string_view>
#include <vector>

#include "comment/comment_kinds.h"
#include "comment/comment_modify.h"
#include "comment/comment_save.h"
#include "comment/format_memory_comment.h"
#include "core/areas.h"
#include "core/decimal.h"
#include "core/format.h"
#include "core/messages.h"
#include "platform/env.h"

namespace quorsma::comment {
namespace {

bool EndsSegment(char c) { return c == '\r' || c == '\n' || c == '"' || c == '\0'; }

// The number at the start of `s` as strtol reads it: leading white space, a
// sign, for base 16 an optional 0x prefix, then digits up to the first byte
// that is not one; no digits give 0.  Large values saturate outside every
// area instead of wrapping into it.
int64_t ReadNumber(std::string_view s, int base) {
  return ReadInt32(s.data(), s.data() + s.size(), base == 16 ? NumberForm{16, IsCSpace, true} : kCDecimal);
}

// The device a key names: its device key, its area (null for none) and how
// the rest of the key gives the number.
struct Device {
  char key[8];
  CommentArea area;
  int base;
  std::size_t number_at;
};

Device DeviceOfKey(std::string_view key) {
  Device d{};
  const char c0 = key.empty() ? '\0' : key[0];
  const char c1 = key.size() > 1 ? key[1] : '\0';
  // Two-letter kinds.  "AD" and "DA" name the analogue channels: read by
  // their first byte alone, an AD key would name no area and a DA key would
  // silently become D0.
  for (std::string_view pair : {std::string_view("SM"), std::string_view("AD"), std::string_view("DA")}) {
    if (c0 == pair[0] && c1 == pair[1]) {
      FormatTo(d.key, "MEM_%c%c", c0, c1);
      d.area = FindKindArea(pair);
      d.base = 10;
      d.number_at = 2;
      return d;
    }
  }
  FormatTo(d.key, "MEM_%c", c0);
  d.area = c0 == '\0' ? nullptr : FindKindArea(std::string_view(&c0, 1));
  d.base = (c0 == 'X' || c0 == 'Y' || c0 == 'W' || c0 == 'B') ? 16 : 10;
  d.number_at = 1;
  return d;
}

void ImportSegment(const Context& context, std::string_view segment) {
  if (segment.empty() || segment[0] == '[') return;
  const std::size_t equals = segment.find('=');
  if (equals == std::string_view::npos || equals == 0) return;

  std::string_view key = segment.substr(0, equals);
  while (!key.empty() && key.back() == ' ') key.remove_suffix(1);
  const std::string_view comment = segment.substr(equals + 1);

  const Device device = DeviceOfKey(key);
  char laid_out[kLaidOutBytes + 1];
  const std::size_t length = LayOutComment(comment, laid_out);
  if (device.area != nullptr) {
    const int64_t number = ReadNumber(key.substr(std::min(device.number_at, key.size())), device.base);
    if (number >= 0 && number < kLargeArea) {
      std::memcpy((context.image->*device.area)[number], laid_out, length + 1);
      return;
    }
  }
  char box[128];
  FormatTo(box, text::kFmtImportError, device.key, laid_out);
  context.env->ShowMessage(box);
}

}  // namespace

void ImportComments(const Context& context, const char* data, std::size_t size) {
  std::size_t start = 0;
  while (start < size) {
    std::size_t end = start;
    while (end < size && !EndsSegment(data[end])) ++end;
    ImportSegment(context, std::string_view(data + start, end - start));
    start = end + 1;
  }
}

int32_t ModifyMemoryCommentFromFile(const Context& context, const char* path) {
  std::vector<char> file;
  if (path == nullptr || context.env->ReadFile(path, &file) != platform::ReadResult::kRead) {
    context.env->Trace(Format(text::kFmtCannotOpenFile, path ? path : "").c_str());
    return 0;
  }
  // The entries change and the file is rewritten under the comment-file
  // lock, so no attach loads the old file in between.
  platform::ScopedLock lock(context.env->CommentFileLock());
  ImportComments(context, file.data(), file.size());
  file = {};
  return SaveMemoryCommentLocked(context);
}

}  // namespace quorsma::comment
