// quorsma get / set / watch: reading and writing devices by operand text.
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <thread>
#include <vector>

#include "commands.h"
#include "library_messages.h"
#include "monitor.h"
#include "operand_syntax.h"
#include "terminal.h"

namespace quorsma::tool {
namespace {

// Checks every operand for reading; prints the errors and returns false when
// any is bad.
bool CheckReadable(const std::vector<std::string>& operands) {
  bool ok = true;
  for (const std::string& text : operands) {
    std::string reason;
    if (!CheckOperand(text, Role::kValue, nullptr, &reason)) {
      std::fprintf(stderr, "quorsma: error: operand '%s': %s\n", text.c_str(), reason.c_str());
      ok = false;
    }
  }
  return ok;
}

int Get(const std::vector<std::string>& operands) {
  if (!CheckReadable(operands)) return kExitBadInput;
  MH_SHARED_STRUCTURE* image = RequireImage();
  if (image == nullptr) return kExitFailure;
  CaptureLibraryMessages();
  std::fputs(RenderTable(ReadAll(image, operands)).c_str(), stdout);
  return 0;
}

// Decimal, or hexadecimal with 0x; a sign is allowed.
bool ParseValue(const std::string& text, int32_t* value) {
  if (text.empty()) return false;
  std::size_t pos = 0;
  bool negative = false;
  if (text[pos] == '-' || text[pos] == '+') negative = text[pos++] == '-';
  int base = 10;
  if (text.size() > pos + 2 && text[pos] == '0' && (text[pos + 1] == 'x' || text[pos + 1] == 'X')) {
    base = 16;
    pos += 2;
  }
  if (pos >= text.size()) return false;
  int64_t v = 0;
  for (; pos < text.size(); ++pos) {
    char c = text[pos];
    int digit = c >= '0' && c <= '9' ? c - '0'
                : base == 16 && c >= 'a' && c <= 'f' ? c - 'a' + 10
                : base == 16 && c >= 'A' && c <= 'F' ? c - 'A' + 10
                                                     : -1;
    if (digit < 0 || digit >= base) return false;
    v = v * base + digit;
    if (v > 0xFFFFFFFFLL) return false;
  }
  if (negative) v = -v;
  if (base == 16 && !negative && v > INT32_MAX) v -= 0x100000000LL;  // 0xFFFFFFFF is -1
  if (v < INT32_MIN || v > INT32_MAX) return false;
  *value = static_cast<int32_t>(v);
  return true;
}

int Set(const std::string& operand, const std::string& value_text) {
  Operand op;
  std::string reason;
  if (!CheckOperand(operand, Role::kWrite, &op, &reason))
    return BadInput("operand '" + operand + "': " + reason);
  int32_t value = 0;
  if (!ParseValue(value_text, &value))
    return BadInput("value '" + value_text + "': a 32-bit number, decimal or 0x hexadecimal");
  const bool bit = op.bit >= 0 || (op.device != "D" && op.device != "W" && op.device != "Z");
  if (bit && value != 0 && value != 1) return BadInput(operand + " is a bit: the value is 0 or 1");
  MH_SHARED_STRUCTURE* image = RequireImage();
  if (image == nullptr) return kExitFailure;
  CaptureLibraryMessages();
  const int64_t messages = LibraryMessageCount();
  SetSma(operand.c_str(), value);
  if (LibraryMessageCount() != messages) return Fail("the library refused the write");
  std::fputs(RenderTable(ReadAll(image, {operand})).c_str(), stdout);
  return 0;
}

struct WatchArgs {
  std::vector<std::string> operands;
  int64_t interval_ms = 500;
  int64_t count = 0;
};

int Watch(const WatchArgs& args) {
  if (!CheckReadable(args.operands)) return kExitBadInput;
  MH_SHARED_STRUCTURE* image = RequireImage();
  if (image == nullptr) return kExitFailure;
  CaptureLibraryMessages();
  InstallStopHandler();
  for (int64_t n = 0; args.count == 0 || n < args.count; ++n) {
    if (StopRequested()) break;
    if (n > 0) std::this_thread::sleep_for(std::chrono::milliseconds(args.interval_ms));
    if (StopRequested()) break;
    std::string screen = RenderTable(ReadAll(image, args.operands));
    if (StdoutIsTerminal()) screen += "\nrefreshing every " + std::to_string(args.interval_ms) + " ms; Ctrl-C ends\n";
    Redraw(screen);
  }
  return 0;
}

}  // namespace

void AddDeviceCommands(CLI::App& app, int* exit_code) {
  auto get_operands = std::make_shared<std::vector<std::string>>();
  CLI::App* get = app.add_subcommand("get", "Read devices (as a ladder contact reads them) with their comments");
  get->add_option("OPERAND", *get_operands, "Operands such as X1F, D100, D100.3, K4M100, M10Z2, T0, K50")->required();
  get->callback([get_operands, exit_code] { *exit_code = Get(*get_operands); });

  auto set_args = std::make_shared<std::pair<std::string, std::string>>();
  CLI::App* set = app.add_subcommand("set", "Write one device (bit devices take 0 or 1)");
  set->add_option("OPERAND", set_args->first, "A device of M, X, Y, B, S, L, Z, D or W, such as Y10, D100, D100.3")
      ->required();
  set->add_option("VALUE", set_args->second, "The value: decimal, or hexadecimal with 0x")->required();
  set->callback([set_args, exit_code] { *exit_code = Set(set_args->first, set_args->second); });

  auto watch_args = std::make_shared<WatchArgs>();
  CLI::App* watch = app.add_subcommand("watch", "Show devices with their comments in a table that refreshes in place");
  watch->add_option("OPERAND", watch_args->operands, "Operands to show")->required();
  watch->add_option("--interval", watch_args->interval_ms, "Milliseconds between refreshes")
      ->default_val(500)
      ->check(CLI::Range(10, 3600000));
  watch->add_option("--count", watch_args->count, "Stop after this many refreshes (default: until Ctrl-C)")
      ->check(CLI::NonNegativeNumber);
  watch->callback([watch_args, exit_code] { *exit_code = Watch(*watch_args); });
}

}  // namespace quorsma::tool
