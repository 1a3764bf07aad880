#include "text_encoding.h"

#include <clocale>
#include <cstdlib>
#include <cstring>

#if !defined(_WIN32)
#include <iconv.h>
#include <langinfo.h>
#endif

namespace quorsma::tool {
namespace {

#if !defined(_WIN32)
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

std::string Convert(const std::string& text, const char* to, const char* from) {
  iconv_t cd = iconv_open(to, from);
  if (cd == reinterpret_cast<iconv_t>(-1)) return text;
  std::string out(text.size() * 4 + 4, '\0');
  char* in_ptr = const_cast<char*>(text.data());
  std::size_t in_left = text.size();
  char* out_ptr = out.data();
  std::size_t out_left = out.size();
  std::size_t rc = iconv(cd, &in_ptr, &in_left, &out_ptr, &out_left);
  iconv_close(cd);
  if (rc == static_cast<std::size_t>(-1)) return text;
  out.resize(out.size() - out_left);
  return out;
}
#endif

}  // namespace

std::string ToTerminal(const std::string& cp949) {
#if defined(_WIN32)
  return cp949;
#else
  return TerminalIsUtf8() ? Convert(cp949, "UTF-8", "CP949") : cp949;
#endif
}

std::string FromTerminal(const std::string& typed) {
#if defined(_WIN32)
  return typed;
#else
  return TerminalIsUtf8() ? Convert(typed, "CP949", "UTF-8") : typed;
#endif
}

}  // namespace quorsma::tool
