// Conversions through iconv and the terminal's character set from the locale.
#include <iconv.h>
#include <langinfo.h>

#include <cerrno>
#include <clocale>
#include <cstdlib>
#include <cstring>

#include "text_encoding.h"

namespace quorsma::tool {
namespace {

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

}  // namespace

bool TerminalIsUtf8() {
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
}

std::string Cp949ToUtf8(const std::string& cp949) {
  std::string out;
  Convert(cp949, "UTF-8", "CP949", true, &out);
  return out;
}

bool Utf8ToCp949(const std::string& utf8, std::string* cp949) { return Convert(utf8, "CP949", "UTF-8", false, cp949); }

}  // namespace quorsma::tool
