// quorsma log: the collector of value-change lines.
#include <cerrno>
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <string>
#include <thread>

#include "cli/client_names.h"
#include "cli/commands.h"
#include "cli/host.h"
#include "cli/plural.h"
#include "cli/terminal.h"
#include "cli/text_encoding.h"

namespace quorsma::tool {
namespace {

struct LogArgs {
  bool enable = false;
  std::string output;
  int64_t count = 0;
  double seconds = 0;
};

// Longest sleep between looks at the stop request and the time limit.
constexpr auto kWaitSlice = std::chrono::milliseconds(100);

int Log(const LogArgs& args, bool output_given) {
  if (output_given && args.output.empty()) return BadInput("--output needs a file name");
  MH_SHARED_STRUCTURE* image = RequireImage();
  if (image == nullptr) return kExitFailure;
  // The mailbox holds one line: two collectors would each miss lines.
  SectionLock lock;
  std::string error;
  if (!lock.Acquire("collector", &error)) return Fail(error);
  std::FILE* out = stdout;
  if (!args.output.empty()) {
    out = std::fopen(args.output.c_str(), "ab");
    if (out == nullptr) return Fail("cannot open " + args.output + " for appending: " + SystemError(errno));
  }
  InstallStopHandler();
  Collector collector(image);
  LineWaiter waiter(image);
  if (args.enable) collector.EnableLogging();
  std::fprintf(stderr, "quorsma: collecting value-change lines%s%s%s; Ctrl-C ends\n",
               out == stdout ? "" : " into ", out == stdout ? "" : args.output.c_str(),
               args.enable ? " with logging switched on" : "");
  if (!args.enable && image->LogEnable == 0)
    std::fprintf(stderr,
                 "quorsma: value-change logging is off (LogEnable 0): no line comes until a program switches it "
                 "on; --enable switches it on while collecting\n");
  std::fflush(stderr);
  const auto start = std::chrono::steady_clock::now();
  int64_t taken = 0;
  int write_error = 0;
  std::string line;
  while (!StopRequested() && (args.count == 0 || taken < args.count)) {
    if (args.seconds > 0 &&
        std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count() >= args.seconds)
      break;
    if (!collector.Take(&line)) {
      waiter.Wait(kWaitSlice);
      continue;
    }
    ++taken;
    // Files keep the library's CP949 bytes; the terminal gets its own encoding.
    std::string stamped = TimestampLine(std::chrono::system_clock::now(), out == stdout ? ToTerminal(line) : line);
    stamped += '\n';
    if (std::fwrite(stamped.data(), 1, stamped.size(), out) != stamped.size() || std::fflush(out) != 0) {
      write_error = errno;
      break;
    }
  }
  collector.Restore();
  if (out != stdout && std::fclose(out) != 0 && write_error == 0) write_error = errno;
  if (write_error != 0) {
    return Fail("cannot write " + (out == stdout ? std::string("standard output") : args.output) + ": " +
                SystemError(write_error) + " (" + Counted(taken - 1, "line") + " written before)");
  }
  std::fprintf(stderr, "quorsma: %s collected\n", Counted(taken, "line").c_str());
  return 0;
}

}  // namespace

void AddLogCommand(CLI::App& app, int* exit_code) {
  auto args = std::make_shared<LogArgs>();
  CLI::App* log = app.add_subcommand("log", "Collect value-change lines from the mailbox, with a timestamp each");
  log->add_flag("--enable", args->enable, "Switch value-change logging on (LogEnable) while collecting");
  CLI::Option* output =
      log->add_option("-o,--output", args->output, "Append the lines (CP949, as the library writes them) to this file");
  log->add_option("--count", args->count, "Stop after this many lines, 1 or more")
      ->check(CLI::Range(int64_t{1}, INT64_MAX));
  log->add_option("--seconds", args->seconds, "Stop after this many seconds")
      ->check(kFiniteNumber & CLI::PositiveNumber);
  log->footer(
      "The library holds one line at a time: while a line waits here, changes are reported later.  One collector\n"
      "per section: a second one refuses to start.  Ctrl-C, SIGTERM and SIGHUP end it and put LogEnable back.");
  log->callback([args, output, exit_code] { *exit_code = Log(*args, output->count() > 0); });
}

}  // namespace quorsma::tool
