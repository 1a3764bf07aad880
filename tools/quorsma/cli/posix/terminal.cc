#include <unistd.h>

#include <cstdio>

#include "cli/terminal.h"

namespace quorsma::tool {

bool StdoutIsTerminal() { return isatty(STDOUT_FILENO) != 0; }

void EnableEscapeSequences() {}  // a terminal here always interprets them

}  // namespace quorsma::tool
