// quorsma modbus: serves the device memory over Modbus TCP while it runs.

#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#include "modbus/address_map.h"
#include "modbus/socket_system.h"
#include "cli/commands.h"
#include "cli/input_file.h"
#include "cli/library_messages.h"
#include "cli/terminal.h"
#include "modbus/map_file.h"
#include "modbus/server.h"
#include "modbus/write_permission.h"

namespace quorsma::tool {
namespace {

// A map file is a short list of ranges.
constexpr std::uintmax_t kMaxMapFileBytes = 1u << 20;

const modbus::ServerOptions kDefaults;

struct ModbusArgs {
  std::string listen = "127.0.0.1:1502";
  int unit_id = -1;
  int max_clients = kDefaults.max_clients;
  std::string map_file;
  std::string allow_write;
  int idle_timeout = kDefaults.idle_timeout_seconds;
  int request_timeout = kDefaults.request_timeout_seconds;
  bool verbose = false;
};

// "ADDR:PORT": an IPv4 address and a port (0: any free port).
bool ParseListen(const std::string& text, modbus::ServerOptions* options) {
  const std::size_t colon = text.rfind(':');
  if (colon == std::string::npos) return false;
  const std::string host = text.substr(0, colon);
  const std::string port = text.substr(colon + 1);
  if (!modbus::IsIpv4Address(host)) return false;
  if (port.empty() || port.size() > 5 || port.find_first_not_of("0123456789") != std::string::npos) return false;
  const int number = std::stoi(port);
  if (number > 65535) return false;
  options->host = host;
  options->port = number;
  return true;
}

int Serve(const ModbusArgs& args) {
  modbus::ServerOptions options;
  if (!ParseListen(args.listen, &options))
    return BadInput("--listen '" + args.listen + "': an IPv4 address and a port, such as 127.0.0.1:1502");
  options.unit_id = args.unit_id;
  options.max_clients = args.max_clients;
  options.idle_timeout_seconds = args.idle_timeout;
  options.request_timeout_seconds = args.request_timeout;
  options.verbose = args.verbose;

  modbus::AddressMap map = modbus::DefaultMap();
  if (!args.map_file.empty()) {
    // A missing file, a directory or a FIFO reads as for every command.
    std::string text;
    std::string read_error;
    if (!ReadInputFile(args.map_file, kMaxMapFileBytes, &text, &read_error)) return BadInput(read_error);
    std::vector<std::string> errors;
    if (!modbus::ParseMapText(text, args.map_file, &map, &errors)) {
      for (const std::string& error : errors) std::fprintf(stderr, "%s\n", error.c_str());
      return BadInput("the map file is refused; nothing is served");
    }
  }
  modbus::WritePermission allow_write;
  std::string reason;
  if (!modbus::ParseWritePermission(args.allow_write, &allow_write, &reason))
    return BadInput("--allow-write '" + args.allow_write + "': " + reason);

  MH_SHARED_STRUCTURE* image = RequireImage();
  if (image == nullptr) return kExitFailure;
  CaptureLibraryMessages();
  InstallStopHandler();
  options.stop_requested = [] { return StopRequested(); };
  return modbus::RunServer(options, image, map, allow_write);
}

}  // namespace

void AddModbusCommand(CLI::App& app, int* exit_code) {
  auto args = std::make_shared<ModbusArgs>();
  CLI::App* command = app.add_subcommand(
      "modbus", "Serve the device memory over Modbus TCP (holds the section while it runs; Ctrl-C stops)");
  command->add_option("--listen", args->listen,
                      "ADDR:PORT to listen on; other machines reach it only with an address such as 0.0.0.0")
      ->default_str("127.0.0.1:1502");
  command->add_option("--unit-id", args->unit_id, "Answer only this unit id (default: every unit id)")
      ->check(CLI::Range(0, 255));
  command->add_option("--max-clients", args->max_clients,
                      "Connections served at once; a new one beyond them takes the place of one idle for the "
                      "request timeout, or is refused")
      ->default_val(kDefaults.max_clients)
      ->check(CLI::Range(1, 1024));
  command->add_option("--map", args->map_file, "Map file replacing the default address map");
  command->add_option("--allow-write", args->allow_write,
                      "Devices that writes may change: ranges such as D100..D199,M0..M99,Y0..Y1F, or all "
                      "(default: every write is refused)");
  command->add_option("--idle-timeout", args->idle_timeout,
                      "Seconds a connection may wait before beginning its next request before it is closed")
      ->default_val(kDefaults.idle_timeout_seconds)
      ->check(CLI::Range(1, 86400));
  command->add_option("--request-timeout", args->request_timeout,
                      "Seconds a request may take to arrive whole from its first byte, and its answer to be taken, "
                      "before the connection is closed")
      ->default_val(kDefaults.request_timeout_seconds)
      ->check(CLI::Range(1, 3600));
  command->add_flag("-v,--verbose", args->verbose, "Print one line per request");
  command->callback([args, exit_code] { *exit_code = Serve(*args); });
}

}  // namespace quorsma::tool
