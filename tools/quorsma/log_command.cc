// quorsma log: the collector of value-change lines.
#include <chrono>
#include <cstdio>
#include <string>
#include <thread>

#include "collector.h"
#include "commands.h"
#include "terminal.h"
#include "text_encoding.h"

namespace quorsma::tool {
namespace {

struct LogArgs {
  bool enable = false;
  std::string output;
  int64_t count = 0;
  double seconds = 0;
};

constexpr auto kPollInterval = std::chrono::milliseconds(1);

int Log(const LogArgs& args) {
  std::FILE* out = stdout;
  if (!args.output.empty()) {
    out = std::fopen(args.output.c_str(), "ab");
    if (out == nullptr) return Fail("cannot open " + args.output + " for appending");
  }
  MH_SHARED_STRUCTURE* image = RequireImage();
  if (image == nullptr) {
    if (out != stdout) std::fclose(out);
    return kExitFailure;
  }
  InstallStopHandler();
  Collector collector(image);
  if (args.enable) collector.EnableLogging();
  std::fprintf(stderr, "quorsma: collecting value-change lines%s%s%s; Ctrl-C ends\n",
               out == stdout ? "" : " into ", out == stdout ? "" : args.output.c_str(),
               args.enable ? " with logging switched on" : "");
  std::fflush(stderr);
  const auto start = std::chrono::steady_clock::now();
  int64_t taken = 0;
  std::string line;
  while (!StopRequested() && (args.count == 0 || taken < args.count)) {
    if (args.seconds > 0 &&
        std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count() >= args.seconds)
      break;
    if (!collector.Take(&line)) {
      std::this_thread::sleep_for(kPollInterval);
      continue;
    }
    ++taken;
    // Files keep the library's CP949 bytes; the terminal gets its own encoding.
    std::string stamped = TimestampLine(std::chrono::system_clock::now(), out == stdout ? ToTerminal(line) : line);
    std::fputs(stamped.c_str(), out);
    std::fputc('\n', out);
    std::fflush(out);
  }
  collector.Restore();
  if (out != stdout) std::fclose(out);
  std::fprintf(stderr, "quorsma: %lld line%s collected\n", static_cast<long long>(taken), taken == 1 ? "" : "s");
  return 0;
}

}  // namespace

void AddLogCommand(CLI::App& app, int* exit_code) {
  auto args = std::make_shared<LogArgs>();
  CLI::App* log = app.add_subcommand("log", "Collect value-change lines from the mailbox, with a timestamp each");
  log->add_flag("--enable", args->enable, "Switch value-change logging on (LogEnable) while collecting");
  log->add_option("-o,--output", args->output, "Append the lines (CP949, as the library writes them) to this file");
  log->add_option("--count", args->count, "Stop after this many lines")->check(CLI::NonNegativeNumber);
  log->add_option("--seconds", args->seconds, "Stop after this many seconds")->check(CLI::NonNegativeNumber);
  log->footer("The library holds one line at a time: while a line waits here, changes are reported later.");
  log->callback([args, exit_code] { *exit_code = Log(*args); });
}

}  // namespace quorsma::tool
