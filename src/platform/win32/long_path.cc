#include "platform/win32/long_path.h"

#include <windows.h>

#include <vector>

namespace quorsma::platform {
namespace {

constexpr std::size_t kMaxPath = 260;  // MAX_PATH, terminator included

bool IsSeparator(char c) { return c == '\\' || c == '/'; }

bool IsDriveLetter(char c) { return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z'); }

}  // namespace

bool IsLongPath(const std::string& path) { return path.size() >= kMaxPath; }

std::string ExtendedLengthPath(const std::string& path) {
  if (!IsLongPath(path)) return path;
  std::string prefix;
  std::size_t start;
  if (path.size() >= 3 && IsDriveLetter(path[0]) && path[1] == ':' && IsSeparator(path[2])) {
    prefix = "\\\\?\\" + path.substr(0, 2);  // \\?\C:
    start = 3;
  } else if (path.size() >= 3 && IsSeparator(path[0]) && IsSeparator(path[1]) && path[2] != '?' &&
             path[2] != '.') {
    prefix = "\\\\?\\UNC";  // \\server\share -> \\?\UNC\server\share
    start = 2;
  } else {
    return path;  // relative, or already in a device form
  }
  std::vector<std::string> parts;
  std::size_t i = start;
  while (i <= path.size()) {
    std::size_t end = i;
    while (end < path.size() && !IsSeparator(path[end])) ++end;
    std::string part = path.substr(i, end - i);
    if (part == "..") {
      if (!parts.empty()) parts.pop_back();
    } else if (!part.empty() && part != ".") {
      parts.push_back(part);
    }
    i = end + 1;
  }
  std::string out = prefix;
  for (const std::string& part : parts) {
    out += '\\';
    out += part;
  }
  return out;
}

std::wstring WidePath(const std::string& path) {
  std::string extended = ExtendedLengthPath(path);
  if (extended.empty()) return std::wstring();
  int n = MultiByteToWideChar(CP_ACP, 0, extended.data(), static_cast<int>(extended.size()), nullptr, 0);
  if (n <= 0) return std::wstring();
  std::wstring wide(static_cast<std::size_t>(n), L'\0');
  MultiByteToWideChar(CP_ACP, 0, extended.data(), static_cast<int>(extended.size()), wide.data(), n);
  return wide;
}

}  // namespace quorsma::platform
