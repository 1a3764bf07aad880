// quorsma run PROGRAM...: the ladder runner.
#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

#include "cli/clock.h"
#include "cli/commands.h"
#include "cli/client_names.h"
#include "cli/library_messages.h"
#include "cli/plural.h"
#include "runner/program_checker.h"
#include "runner/program_devices.h"
#include "runner/scan_loop.h"
#include "runner/scan_runner.h"
#include "cli/terminal.h"

namespace quorsma::tool {
namespace {

constexpr int64_t kForceRefreshNs = 50'000'000;

struct RunArgs {
  std::vector<std::string> programs;
  int64_t scans = 0;
  int64_t period_ms = 10;
  bool quiet = false;
};

int Run(const RunArgs& args) {
  if (!CheckInputFiles(args.programs, kMaxProgramBytes)) return kExitBadInput;
  // The checker asks the library about operands, so the section comes first.
  MH_SHARED_STRUCTURE* image = RequireImage();
  if (image == nullptr) return kExitFailure;
  Program program;
  std::vector<std::string> errors, warnings;
  const bool loaded = LoadPrograms(args.programs, &program, &errors, &warnings);
  for (const std::string& w : warnings) std::fprintf(stderr, "%s\n", w.c_str());
  if (!loaded) {
    for (const std::string& e : errors) std::fprintf(stderr, "%s\n", e.c_str());
    std::fprintf(stderr, "quorsma: error: %s; nothing was run\n", Counted(static_cast<int64_t>(errors.size()), "error").c_str());
    return kExitBadInput;
  }
  // The evaluation state (result stack, branch store) is one per section.
  SectionLock lock;
  std::string error;
  if (!lock.Acquire("runner", &error)) return Fail(error);
  ForceTable forces;
  if (!forces.Load(&error)) return Fail(error);
  CaptureLibraryMessages();
  InstallStopHandler();
  if (!args.quiet) {
    std::fprintf(stderr, "quorsma: running %s: %s; ", program.name.c_str(), ProgramSize(program).c_str());
    if (args.scans > 0)
      std::fprintf(stderr, "%s", Counted(args.scans, "scan").c_str());
    else
      std::fprintf(stderr, "Ctrl-C stops");
    std::fprintf(stderr, "\n");
  }
  SteadyClock clock;
  ScanRunner runner(image, program, clock);
  LoopOptions options;
  options.scans = args.scans;
  options.period_ns = args.period_ms * 1000000;
  int64_t next_refresh = 0;
  bool ready = false;
  ScanStats stats = RunLoop(
      runner, clock, options,
      [&] {
        forces.ApplyOutputs(image);
        if (!ready) {  // scanning: ready for a service manager that waits for it
          ServiceNotify("READY=1\nSTATUS=running " + program.name);
          ready = true;
        }
        if (clock.NowNs() >= next_refresh) {  // a force set or cleared by another command
          // A table that cannot be read leaves the forces as they were.
          const std::string refused = forces.Refresh();
          if (!refused.empty())
            std::fprintf(stderr, "quorsma: warning: the forces stay as they were: %s\n", refused.c_str());
          next_refresh = clock.NowNs() + kForceRefreshNs;
        }
      },
      [&] { forces.ApplyInputs(image); });
  EndLineAfterInterrupt();
  PrintRepeatedLibraryMessages();
  std::printf("%s\n", stats.Summary().c_str());
  return 0;
}

}  // namespace

void AddRunCommand(CLI::App& app, int* exit_code) {
  auto args = std::make_shared<RunArgs>();
  CLI::App* run = app.add_subcommand("run", "Run instruction-list programs scan after scan (Ctrl-C stops after the scan)");
  run->add_option("PROGRAM", args->programs,
                  "Instruction-list files, run one after the other in every scan")
      ->required();
  run->add_option("--scans", args->scans, "Number of scans to run, 1 or more (default: until Ctrl-C)")
      ->check(CLI::Range(int64_t{1}, INT64_MAX));
  run->add_option("--period", args->period_ms, "Milliseconds from the start of one scan to the next; 0 runs back to back")
      ->default_val(10)
      ->check(CLI::Range(0, 3600000));
  run->add_flag("-q,--quiet", args->quiet, "Print only the closing statistics");
  run->footer(
      "Program format: one instruction per line, its name (the export's name, such as LAD_OUT, or an alias such as\n"
      "OUT) and its operands separated by blanks; ';' starts a comment.  The whole program is checked before the\n"
      "first scan.  The runner keeps SM400 on, SM401 off, SM402 on in the first scan, SM403 on from the second,\n"
      "SM411/SM412 as 0.2 s/1 s clocks, writes PulseSlot before every edge instruction and advances the timers.\n"
      "One runner per section: a second one refuses to start.  Forced inputs (quorsma force) are written before\n"
      "each scan, forced outputs, relays and registers after it.");
  run->callback([args, exit_code] { *exit_code = Run(*args); });
}

}  // namespace quorsma::tool
