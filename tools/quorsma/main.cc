// quorsma: a command-line client of the library.
#include <CLI/CLI.hpp>

#include "commands.h"

int main(int argc, char** argv) {
  CLI::App app{"quorsma: the soft-PLC device memory of this machine"};
  app.require_subcommand(1);
  quorsma::tool::AddInfoCommand(app);
  CLI11_PARSE(app, argc, argv);
  return 0;
}
