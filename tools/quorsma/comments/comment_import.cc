#include "comment_import.h"

#include "quorsma/quorsma.h"

namespace quorsma::tool {
namespace {

constexpr std::size_t kMaxSegment = 255;  // the library's working copy of one segment

bool IsDelimiter(char c) { return c == '\r' || c == '\n' || c == '"' || c == '\0'; }

// The device and number of a key; false with a reason when the library would
// not store it where the key says.
bool CheckKey(const std::string& key, std::string* reason) {
  std::size_t pos;
  bool hex;
  if (key.compare(0, 2, "SM") == 0) {
    pos = 2;
    hex = false;
  } else if (!key.empty() && (key[0] == 'X' || key[0] == 'Y' || key[0] == 'W' || key[0] == 'B')) {
    pos = 1;
    hex = true;
  } else if (!key.empty() && (key[0] == 'M' || key[0] == 'D' || key[0] == 'T' || key[0] == 'S' || key[0] == 'L' ||
                              key[0] == 'R')) {
    pos = 1;
    hex = false;
  } else {
    *reason = "key '" + key + "' names no device with comments (M, D, T, S, L, R, SM, X, Y, W, B)";
    return false;
  }
  if (pos >= key.size()) {
    *reason = "key '" + key + "' has no device number";
    return false;
  }
  long long number = 0;
  for (std::size_t i = pos; i < key.size(); ++i) {
    const char c = key[i];
    int digit = c >= '0' && c <= '9' ? c - '0' : hex && c >= 'A' && c <= 'F' ? c - 'A' + 10 : -1;
    if (digit < 0) {
      *reason = "key '" + key + "': " + (hex ? "hexadecimal" : "decimal") + " device number expected";
      return false;
    }
    number = number * (hex ? 16 : 10) + digit;
    if (number >= QSMA_AREA_LARGE) {
      *reason = "key '" + key + "': device numbers end at " + (hex ? "1FFFE" : "131070");
      return false;
    }
  }
  return true;
}

}  // namespace

ImportCheck CheckImportText(const std::string& content) {
  ImportCheck result;
  int line = 1;
  std::size_t pos = 0;
  while (pos <= content.size()) {
    std::size_t end = pos;
    while (end < content.size() && !IsDelimiter(content[end])) ++end;
    const std::string segment = content.substr(pos, end - pos);
    const int segment_line = line;
    if (end < content.size() && content[end] == '\n') ++line;
    pos = end + 1;
    if (segment.empty() || segment[0] == '[') continue;
    const std::size_t equals = segment.find('=');
    if (equals == std::string::npos || equals == 0) continue;
    std::string reason;
    if (segment.size() > kMaxSegment) {
      result.errors.push_back("line " + std::to_string(segment_line) + ": longer than 255 bytes");
      continue;
    }
    std::string key = segment.substr(0, equals);
    while (!key.empty() && key.back() == ' ') key.pop_back();
    if (!CheckKey(key, &reason)) {
      result.errors.push_back("line " + std::to_string(segment_line) + ": " + reason);
      continue;
    }
    ++result.comments;
  }
  return result;
}

bool IsCommentKind(const std::string& kind) {
  for (const char* k : {"M", "D", "B", "T", "X", "Y", "AD", "DA", "SM", "S", "L", "R", "W"}) {
    if (kind == k) return true;
  }
  return false;
}

bool IsHexKind(const std::string& kind) { return kind == "X" || kind == "Y" || kind == "B" || kind == "W"; }

}  // namespace quorsma::tool
