// The instruction-list text format: one instruction per line, the
// instruction's name (an export name or an alias) and then its operands,
// separated by blanks; ';' starts a comment that runs to the end of the line;
// blank lines are allowed.  Lines may end in LF or CR LF.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "program.h"

namespace quorsma::tool {

// Splits `text` into instruction lines (comment-only and blank lines are
// dropped).  Never fails: every non-blank line is one instruction line; the
// checker judges them.
std::vector<ProgramLine> ParseProgramText(std::string_view text);

}  // namespace quorsma::tool
