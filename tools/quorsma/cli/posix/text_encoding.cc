// The terminal's character set, from the locale.
#include <langinfo.h>

#include <clocale>
#include <cstdlib>
#include <cstring>

#include "cli/text_encoding.h"

namespace quorsma::tool {

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

}  // namespace quorsma::tool
