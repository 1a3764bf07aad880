#include "text_encoding.h"

#include <cerrno>
#include <clocale>
#include <cstdlib>
#include <cstring>

#if defined(_WIN32)
#include <windows.h>
#else
#include <iconv.h>
#include <langinfo.h>
#endif

namespace quorsma::tool {
namespace {

#if defined(_WIN32)
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
#else
// Converts `text`; invalid or incomplete input becomes '?' when `lenient`,
// else the conversion fails.
bool Convert(const std::string& text, const char* to, const char* from, bool lenient, std::string* result) {
  iconv_t cd = iconv_open(to, from);
  if (cd == reinterpret_cast<iconv_t>(-1)) {
    *result = text;
    return lenient;
  }
  std::string out;
  char buffer[1024];
  char* in_ptr = const_cast<char*>(text.data());
  std::size_t in_left = text.size();
  bool ok = true;
  while (in_left > 0) {
    char* out_ptr = buffer;
    std::size_t out_left = sizeof buffer;
    std::size_t rc = iconv(cd, &in_ptr, &in_left, &out_ptr, &out_left);
    out.append(buffer, sizeof buffer - out_left);
    if (rc != static_cast<std::size_t>(-1)) continue;
    if (errno == E2BIG) continue;
    if (!lenient) {
      ok = false;
      break;
    }
    out.push_back('?');  // EILSEQ or EINVAL: skip one byte and go on
    ++in_ptr;
    --in_left;
    iconv(cd, nullptr, nullptr, nullptr, nullptr);
  }
  iconv_close(cd);
  if (ok) *result = std::move(out);
  return ok;
}
#endif

}  // namespace

bool TerminalIsUtf8() {
#if defined(_WIN32)
  return GetConsoleOutputCP() == CP_UTF8;
#else
  static const bool utf8 = [] {
    std::setlocale(LC_CTYPE, "");
    const char* codeset = nl_langinfo(CODESET);
    if (codeset && (std::strcmp(codeset, "UTF-8") == 0 || std::strcmp(codeset, "utf8") == 0)) return true;
    // A plain C locale in a UTF-8 world (CI, containers): trust LANG/LC_ALL.
    for (const char* name : {"LC_ALL", "LC_CTYPE", "LANG"}) {
      const char* value = std::getenv(name);
      if (value && *value) return std::strstr(value, "UTF-8") || std::strstr(value, "utf8");
    }
    return true;
  }();
  return utf8;
#endif
}

std::string Cp949ToUtf8(const std::string& cp949) {
#if defined(_WIN32)
  std::string out;
  return Convert(cp949, CP_UTF8, kCodePage949, true, &out) ? out : cp949;
#else
  std::string out;
  Convert(cp949, "UTF-8", "CP949", true, &out);
  return out;
#endif
}

bool Utf8ToCp949(const std::string& utf8, std::string* cp949) {
#if defined(_WIN32)
  return Convert(utf8, kCodePage949, CP_UTF8, false, cp949);
#else
  return Convert(utf8, "CP949", "UTF-8", false, cp949);
#endif
}

std::string ToTerminal(const std::string& cp949) { return TerminalIsUtf8() ? Cp949ToUtf8(cp949) : cp949; }

bool FromTerminal(const std::string& typed, std::string* cp949) {
  if (!TerminalIsUtf8()) {
    *cp949 = typed;
    return true;
  }
  return Utf8ToCp949(typed, cp949);
}

}  // namespace quorsma::tool
