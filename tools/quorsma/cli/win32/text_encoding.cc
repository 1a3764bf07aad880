// The console's code page on Windows.
#include <windows.h>

#include "cli/text_encoding.h"

namespace quorsma::tool {

bool TerminalIsUtf8() { return GetConsoleOutputCP() == CP_UTF8; }

}  // namespace quorsma::tool
