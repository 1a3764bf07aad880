// quorsma opcua: serves the device memory as an OPC UA server while it runs.
#include <termios.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <iostream>
#include <memory>
#include <string>
#include <vector>

#include "cli/commands.h"
#include "cli/library_messages.h"
#include "cli/terminal.h"
#include "opcua/certificate.h"
#include "opcua/device_nodes.h"
#include "opcua/listen_url.h"
#include "opcua/server.h"
#include "opcua/users_file.h"

namespace quorsma::tool {
namespace {

const opcua::ServerOptions kDefaults;

struct OpcuaArgs {
  std::string listen = "opc.tcp://127.0.0.1:4840";
  std::string nodes;
  std::string allow_write;
  std::string users;
  std::string certificate;
  std::string private_key;
  std::string data_dir;
  bool allow_insecure = false;
  int max_sessions = kDefaults.max_sessions;
  int64_t max_monitored_items = kDefaults.max_monitored_items;
  int64_t max_nodes = 100000;
  int64_t max_message_bytes = kDefaults.max_message_bytes;
  std::string hash_password;
  bool verbose = false;
};

// systemd's StateDirectory= when a unit gives one, else the user's own.
std::string DefaultDataDir() {
  if (const char* state = std::getenv("STATE_DIRECTORY"); state != nullptr && state[0] != '\0')
    return std::string(state) + "/opcua";
  if (const char* data = std::getenv("XDG_DATA_HOME"); data != nullptr && data[0] == '/')
    return std::string(data) + "/quorsma/opcua";
  const char* home = std::getenv("HOME");
  return std::string(home != nullptr && home[0] != '\0' ? home : ".") + "/.local/share/quorsma/opcua";
}

// Turns the terminal's echo off while it lives.
class EchoOff {
 public:
  explicit EchoOff(bool terminal) : on_(terminal && tcgetattr(STDIN_FILENO, &saved_) == 0) {
    if (!on_) return;
    termios quiet = saved_;
    quiet.c_lflag &= ~static_cast<tcflag_t>(ECHO);
    tcsetattr(STDIN_FILENO, TCSAFLUSH, &quiet);
  }
  ~EchoOff() {
    if (on_) tcsetattr(STDIN_FILENO, TCSAFLUSH, &saved_);
  }
  EchoOff(const EchoOff&) = delete;
  EchoOff& operator=(const EchoOff&) = delete;

 private:
  termios saved_{};
  bool on_;
};

// Reads the password from the first line of standard input (not echoed when
// it is a terminal) and prints the users-file line.
int HashPassword(const std::string& name) {
  if (name.empty() || name.find_first_of(" \t#") != std::string::npos || name[0] == '#')
    return BadInput("--hash-password '" + name + "': a user name without blanks or '#'");
  const bool terminal = isatty(STDIN_FILENO) != 0;
  if (terminal) std::fprintf(stderr, "password for %s: ", name.c_str());
  std::string password;
  {
    EchoOff quiet(terminal);
    std::getline(std::cin, password);
  }
  if (terminal) std::fprintf(stderr, "\n");
  if (!password.empty() && password.back() == '\r') password.pop_back();
  if (password.empty()) return BadInput("an empty password");
  const std::string line = opcua::HashLine(name, password);
  if (line.empty()) return Fail("cannot read the system's random generator");
  std::printf("%s\n", line.c_str());
  return 0;
}

int Serve(const OpcuaArgs& args) {
  if (!args.hash_password.empty()) return HashPassword(args.hash_password);
  opcua::ServerOptions options;
  if (!opcua::ParseListenUrl(args.listen, &options.listen))
    return BadInput("--listen '" + args.listen + "': opc.tcp:// with an IPv4 address and a port, such as " +
                    "opc.tcp://127.0.0.1:4840");
  options.allow_insecure = args.allow_insecure;
  options.max_sessions = static_cast<uint16_t>(args.max_sessions);
  options.max_monitored_items = static_cast<uint32_t>(args.max_monitored_items);
  options.max_message_bytes = static_cast<uint32_t>(args.max_message_bytes);
  options.verbose = args.verbose;

  qsc_permission* raw = nullptr;
  char reason[256] = {};
  if (qsc_permission_parse(args.allow_write.data(), args.allow_write.size(), &raw, reason, sizeof reason) != QSC_OK)
    return BadInput("--allow-write '" + args.allow_write + "': " + reason);
  std::unique_ptr<qsc_permission, decltype(&qsc_permission_free)> allow_write(raw, qsc_permission_free);
  std::vector<opcua::User> users;
  std::string error;
  if (!args.users.empty()) {
    if (!CheckInputFiles({args.users}, 1 << 20)) return kExitBadInput;
    if (!opcua::LoadUsersFile(args.users, &users, &error)) return BadInput(error);
  }
  if (args.certificate.empty() != args.private_key.empty())
    return BadInput("--certificate and --private-key go together");
  if (!qsc_permission_is_empty(allow_write.get()) && users.empty())
    return BadInput("--allow-write needs --users: anonymous sessions never write");

  MH_SHARED_STRUCTURE* image = RequireImage();
  if (image == nullptr) return kExitFailure;
  std::vector<opcua::DeviceNode> nodes;
  if (!opcua::ResolveNodes(image, args.nodes, allow_write.get(), static_cast<std::size_t>(args.max_nodes), &nodes,
                           &error))
    return BadInput("--nodes: " + error);
  opcua::CertificatePair certificate;
  const std::string data_dir = args.data_dir.empty() ? DefaultDataDir() : args.data_dir;
  if (!opcua::LoadOrMakeCertificate(args.certificate, args.private_key, data_dir, &certificate, &error))
    return Fail(error);
  if (certificate.made) std::fprintf(stderr, "quorsma: made a self-signed certificate in %s\n", data_dir.c_str());

  char section[256] = {};
  qsc_section_name(section, sizeof section);
  options.section = section;
  CaptureLibraryMessages();
  InstallStopHandler();
  options.stop_requested = [] { return StopRequested(); };
  const std::size_t node_count = nodes.size();
  options.on_listening = [node_count, &users, &args](const std::string& url) {
    std::printf("listening on %s\n", url.c_str());
    std::fflush(stdout);
    std::fprintf(stderr, "quorsma: serving %zu devices at %s (%s, %zu users); Ctrl-C ends\n", node_count,
                 url.c_str(), args.allow_write.empty() ? "read only" : "writes allowed", users.size());
    qsc_service_notify(("READY=1\nSTATUS=serving " + std::to_string(node_count) + " devices at " + url).c_str());
  };
  return opcua::RunServer(options, image, nodes, users, allow_write.get(), certificate);
}

}  // namespace

void AddOpcuaCommand(CLI::App& app, int* exit_code) {
  auto args = std::make_shared<OpcuaArgs>();
  CLI::App* command = app.add_subcommand(
      "opcua", "Serve the device memory as an OPC UA server (holds the section while it runs; Ctrl-C stops)");
  command->add_option("--listen", args->listen,
                      "opc.tcp://ADDR:PORT to listen on; other machines reach it only with an address such as "
                      "opc.tcp://0.0.0.0:4840")
      ->default_str("opc.tcp://127.0.0.1:4840");
  command->add_option("--nodes", args->nodes,
                      "Devices to serve: ranges such as D0..D999,M0..M99,T0..T9 (default: every device with a "
                      "comment and " + std::string(opcua::kDefaultNodes) + ")");
  command->add_option("--allow-write", args->allow_write,
                      "Devices that logged-in users may write: ranges such as D100..D199,M0..M99, or all "
                      "(default: every write is refused)");
  command->add_option("--users", args->users, "Users file: NAME and password hash per line (--hash-password)");
  command->add_option("--certificate", args->certificate, "The server's certificate (DER), with --private-key");
  command->add_option("--private-key", args->private_key, "The server's private key (DER)");
  command->add_option("--data-dir", args->data_dir,
                      "Where the self-signed certificate is made and kept (default: $STATE_DIRECTORY/opcua under "
                      "systemd, else ~/.local/share/quorsma/opcua)");
  command->add_flag("--allow-insecure", args->allow_insecure,
                    "Offer SecurityPolicy None on an address other than loopback too");
  command->add_option("--max-sessions", args->max_sessions, "Sessions open at once")
      ->default_val(kDefaults.max_sessions)
      ->check(CLI::Range(1, 1000));
  command->add_option("--max-monitored-items", args->max_monitored_items, "Monitored items of all sessions")
      ->default_val(kDefaults.max_monitored_items)
      ->check(CLI::Range(1, 1000000));
  command->add_option("--max-nodes", args->max_nodes, "Devices served at most; more is refused at start")
      ->default_val(100000)
      ->check(CLI::Range(1, 1000000));
  command->add_option("--max-message-bytes", args->max_message_bytes, "The longest request or answer")
      ->default_val(kDefaults.max_message_bytes)
      ->check(CLI::Range(65536, 64 * 1024 * 1024));
  command->add_option("--hash-password", args->hash_password,
                      "Print the users-file line for NAME, the password read from standard input, and end");
  command->add_flag("-v,--verbose", args->verbose, "Print one line per write");
  command->callback([args, exit_code] { *exit_code = Serve(*args); });
}

}  // namespace quorsma::tool
