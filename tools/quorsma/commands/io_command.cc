// quorsma io: the communication program, moving field I/O between Modbus
// stations and the device memory while it runs.
#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#include "cli/commands.h"
#include "cli/input_file.h"
#include "cli/library_messages.h"
#include "cli/terminal.h"
#include "io/io_config.h"
#include "io/io_program.h"

namespace quorsma::tool {
namespace {

struct IoArgs {
  std::string config_file;
  bool check = false;
  bool once = false;
  bool verbose = false;
};

// A configuration is a short list of stations.
constexpr std::uintmax_t kMaxConfigBytes = 1u << 20;

int RunIoCommand(const IoArgs& args) {
  // A missing file, a directory or a FIFO reads as for every command.
  std::string text;
  std::string read_error;
  if (!ReadInputFile(args.config_file, kMaxConfigBytes, &text, &read_error)) return BadInput(read_error);
  io::Config config;
  std::vector<std::string> errors;
  if (!io::ParseConfigText(text, args.config_file, &config, &errors)) {
    for (const std::string& error : errors) std::fprintf(stderr, "%s\n", error.c_str());
    return BadInput("the configuration is refused; nothing is started");
  }
  if (args.check) {
    std::size_t transfers = 0;
    for (const io::Station& station : config.stations) transfers += station.transfers.size();
    std::printf("%s: %zu station%s, %zu transfer%s\n", args.config_file.c_str(), config.stations.size(),
                config.stations.size() == 1 ? "" : "s", transfers, transfers == 1 ? "" : "s");
    return 0;
  }
  MH_SHARED_STRUCTURE* image = RequireImage();
  if (image == nullptr) return kExitFailure;
  CaptureLibraryMessages();
  InstallStopHandler();
  io::IoOptions options;
  options.verbose = args.verbose;
  options.once = args.once;
  options.stop_requested = [] { return StopRequested(); };
  return io::RunIo(config, image, options);
}

}  // namespace

void AddIoCommand(CLI::App& app, int* exit_code) {
  auto args = std::make_shared<IoArgs>();
  CLI::App* command = app.add_subcommand(
      "io", "Move field I/O between Modbus TCP and RTU stations and the device memory (Ctrl-C stops)");
  command->add_option("CONFIG", args->config_file, "The configuration file: stations and their transfers")
      ->required();
  command->add_flag("--check", args->check, "Check the configuration file and stop; nothing is touched");
  command->add_flag("--once", args->once, "Do one cycle of every station, print what it moved, and stop");
  command->add_flag("-v,--verbose", args->verbose, "Print one line per transfer and cycle");
  command->callback([args, exit_code] { *exit_code = RunIoCommand(*args); });
}

}  // namespace quorsma::tool
