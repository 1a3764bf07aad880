// quorsma: a command-line client of the library.  This file only wires the
// subcommands; each lives in its own *_command.cc.
#include <CLI/CLI.hpp>

#include <cstdio>

#include "commands.h"
#include "quorsma/quorsma.h"

int main(int argc, char** argv) {
  CLI::App app{"quorsma: run ladder programs on, watch and edit the soft-PLC device memory of this machine"};
  app.require_subcommand(1);
  app.set_version_flag("--version", "quorsma " QUORSMA_VERSION_STRING);
  int exit_code = 0;
  quorsma::tool::AddRunCommand(app, &exit_code);
  quorsma::tool::AddDeviceCommands(app, &exit_code);
  quorsma::tool::AddLogCommand(app, &exit_code);
  quorsma::tool::AddCommentCommand(app, &exit_code);
  quorsma::tool::AddInfoCommand(app, &exit_code);
  quorsma::tool::AddDemoCommand(app, &exit_code);
  quorsma::tool::AddModbusCommand(app, &exit_code);
  quorsma::tool::AddServeCommand(app, &exit_code);
  CLI11_PARSE(app, argc, argv);
  std::fflush(stdout);
  return exit_code;
}
