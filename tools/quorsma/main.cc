// quorsma: a command-line client of the library.  This file only wires the
// subcommands; each lives in its own *_command.cc.
#include <CLI/CLI.hpp>

#include "cli/commands.h"

int main(int argc, char** argv) {
  CLI::App app{"quorsma: run ladder programs on, watch and edit the soft-PLC device memory of this machine",
               "quorsma"};
  int exit_code = 0;
  quorsma::tool::AddRunCommand(app, &exit_code);
  quorsma::tool::AddDeviceCommands(app, &exit_code);
  quorsma::tool::AddLogCommand(app, &exit_code);
  quorsma::tool::AddCommentCommand(app, &exit_code);
  quorsma::tool::AddInfoCommand(app, &exit_code);
  quorsma::tool::AddDevicesCommand(app, &exit_code);
  quorsma::tool::AddSnapshotCommands(app, &exit_code);
  quorsma::tool::AddDemoCommand(app, &exit_code);
  quorsma::tool::AddModbusCommand(app, &exit_code);
  quorsma::tool::AddServeCommand(app, &exit_code);
  quorsma::tool::AddMqttCommand(app, &exit_code);
  quorsma::tool::AddOpcuaCommand(app, &exit_code);
  quorsma::tool::AddIoCommand(app, &exit_code);
  return quorsma::tool::RunCommandLine(app, argc, argv, exit_code);
}
