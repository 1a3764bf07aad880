// quorsma serve: the HTTP API and the browser device monitor (Linux).
#pragma once

#include <CLI/CLI.hpp>

namespace quorsma::tool {

void AddServeCommand(CLI::App& app, int* exit_code);

}  // namespace quorsma::tool
