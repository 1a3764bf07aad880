#include <unistd.h>

#include <cstdio>

#include "cli/terminal.h"

namespace quorsma::tool {

bool StdoutIsTerminal() { return isatty(STDOUT_FILENO) != 0; }

void EnableEscapeSequences() {}

void InstallConsoleStopHandler() {}  // the signals are all there is  // a terminal here always interprets them

}  // namespace quorsma::tool
