// The Windows build of the tool has no HTTP server; the subcommand says so.
#include "commands.h"

namespace quorsma::tool {

void AddServeCommand(CLI::App& app, int* exit_code) {
  CLI::App* command =
      app.add_subcommand("serve", "HTTP API and browser device monitor: a Linux program, not part of this Windows build");
  command->allow_extras();
  command->callback(
      [exit_code] { *exit_code = Fail("quorsma serve is a Linux program; this Windows build does not include it"); });
}

}  // namespace quorsma::tool
