#include <io.h>
#include <windows.h>

#include <cstdio>

#include "cli/terminal.h"

namespace quorsma::tool {

bool StdoutIsTerminal() { return _isatty(_fileno(stdout)) != 0; }

void EnableEscapeSequences() {
  HANDLE out = GetStdHandle(STD_OUTPUT_HANDLE);
  DWORD mode = 0;
  if (GetConsoleMode(out, &mode)) SetConsoleMode(out, mode | ENABLE_VIRTUAL_TERMINAL_PROCESSING);
}

}  // namespace quorsma::tool
