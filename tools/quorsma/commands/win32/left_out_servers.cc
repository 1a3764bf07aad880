// The servers the Windows build of the tool leaves out: it has their
// subcommands only to say so.
#include <string>

#include "cli/commands.h"

namespace quorsma::tool {
namespace {

void AddLeftOut(CLI::App& app, const std::string& name, const std::string& what, int* exit_code) {
  CLI::App* command = app.add_subcommand(name, what + ": a Linux program, not part of this Windows build");
  command->allow_extras();
  const std::string message = "quorsma " + name + " is a Linux program; this Windows build does not include it";
  command->callback([exit_code, message] { *exit_code = Fail(message); });
}

}  // namespace

void AddOpcuaCommand(CLI::App& app, int* exit_code) { AddLeftOut(app, "opcua", "OPC UA server", exit_code); }

}  // namespace quorsma::tool
