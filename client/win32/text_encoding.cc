// CP949 and UTF-8 through the code-page functions of Windows.
#include <windows.h>

#include <string>

#include "../text_encoding.h"

namespace qsc {
namespace {

constexpr UINT kCodePage949 = 949;

// Converts between two code pages through UTF-16; invalid input becomes '?'
// when `lenient`, else the conversion fails.
bool Convert(const std::string& text, UINT to, UINT from, bool lenient, std::string* result) {
  if (text.empty()) {
    result->clear();
    return true;
  }
  const DWORD strict = lenient ? 0 : MB_ERR_INVALID_CHARS;
  const int wide_size = MultiByteToWideChar(from, strict, text.data(), static_cast<int>(text.size()), nullptr, 0);
  if (wide_size <= 0) return false;
  std::wstring wide(static_cast<std::size_t>(wide_size), L'\0');
  MultiByteToWideChar(from, strict, text.data(), static_cast<int>(text.size()), wide.data(), wide_size);
  BOOL used_default = FALSE;
  BOOL* check = to == CP_UTF8 ? nullptr : &used_default;
  const int size = WideCharToMultiByte(to, 0, wide.data(), wide_size, nullptr, 0, nullptr, check);
  if (size <= 0 || (!lenient && used_default)) return false;
  std::string out(static_cast<std::size_t>(size), '\0');
  WideCharToMultiByte(to, 0, wide.data(), wide_size, out.data(), size, nullptr, nullptr);
  *result = std::move(out);
  return true;
}

}  // namespace

std::string Cp949ToUtf8(const std::string& cp949) {
  std::string out;
  return Convert(cp949, CP_UTF8, kCodePage949, true, &out) ? out : cp949;
}

bool Utf8ToCp949(const std::string& utf8, std::string* cp949) {
  return Convert(utf8, kCodePage949, CP_UTF8, false, cp949);
}

}  // namespace qsc
