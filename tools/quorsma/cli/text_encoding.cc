#include "text_encoding.h"

namespace quorsma::tool {

std::string ToTerminal(const std::string& cp949) { return TerminalIsUtf8() ? Cp949ToUtf8(cp949) : cp949; }

bool FromTerminal(const std::string& typed, std::string* cp949) {
  if (!TerminalIsUtf8()) {
    *cp949 = typed;
    return true;
  }
  return Utf8ToCp949(typed, cp949);
}

}  // namespace quorsma::tool
