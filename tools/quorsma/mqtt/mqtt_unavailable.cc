// The Windows build of the tool has no MQTT bridge; the subcommand says so.
#include "commands.h"

namespace quorsma::tool {

void AddMqttCommand(CLI::App& app, int* exit_code) {
  CLI::App* command = app.add_subcommand("mqtt", "MQTT publisher: a Linux program, not part of this Windows build");
  command->allow_extras();
  command->callback(
      [exit_code] { *exit_code = Fail("quorsma mqtt is a Linux program; this Windows build does not include it"); });
}

}  // namespace quorsma::tool
