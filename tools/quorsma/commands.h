// The subcommands of the quorsma tool.  Each Add* function registers one
// subcommand with its options on the application.
#pragma once

#include <CLI/CLI.hpp>

namespace quorsma::tool {

void AddInfoCommand(CLI::App& app);

}  // namespace quorsma::tool
