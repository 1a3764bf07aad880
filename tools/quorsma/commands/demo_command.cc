// quorsma demo: the bundled example programs on the bundled installation,
// with the collector printing value-change lines and a closing table.
#include <chrono>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "cli/clock.h"
#include "cli/client_names.h"
#include "cli/commands.h"
#include "cli/host.h"
#include "cli/library_messages.h"
#include "cli/monitor.h"
#include "cli/plural.h"
#include "runner/program_checker.h"
#include "runner/program_devices.h"
#include "runner/scan_loop.h"
#include "runner/scan_runner.h"
#include "cli/terminal.h"
#include "cli/text_encoding.h"

namespace quorsma::tool {
namespace {

struct DemoArgs {
  double seconds = 8;
  std::vector<std::string> programs;
};

const char* const kDemoPrograms[] = {"traffic_light.il", "conveyor.il"};

std::string Field(const char (&field)[1024]) {
  const void* end = std::memchr(field, '\0', sizeof field);
  const std::size_t n = end ? static_cast<std::size_t>(static_cast<const char*>(end) - field) : sizeof field;
  return ToTerminal(std::string(field, n));
}

int Demo(const DemoArgs& args) {
  std::vector<std::string> paths = args.programs;
  if (paths.empty()) {
    const std::string dir = ExecutableDir();
    if (dir.empty()) return Fail("cannot find the directory of this program, where the examples are");
    for (const char* name : kDemoPrograms) paths.push_back(dir + "/examples/" + name);
  }
  if (!CheckInputFiles(paths, kMaxProgramBytes)) return kExitBadInput;
  Program program;
  std::vector<std::string> errors, warnings;
  const bool loaded = LoadPrograms(paths, &program, &errors, &warnings);
  for (const std::string& w : warnings) std::fprintf(stderr, "%s\n", w.c_str());
  if (!loaded) {
    for (const std::string& e : errors) std::fprintf(stderr, "%s\n", e.c_str());
    return BadInput(Counted(static_cast<int64_t>(errors.size()), "error") + "; nothing was run");
  }
  MH_SHARED_STRUCTURE* image = RequireImage();
  if (image == nullptr) return kExitFailure;
  CaptureLibraryMessages();
  InstallStopHandler();

  std::printf("QuorSMA demo on equipment \"%s\", program version %s\n", Field(image->EqpName).c_str(),
              Field(image->ProgramVer).c_str());
  std::printf("  parameters  %s\n  PLC files   %s\n", Field(image->MemParaPath).c_str(),
              Field(image->MemPlcPath).c_str());
  std::printf("running %s for %.1f s: %s\n\n", program.name.c_str(), args.seconds, ProgramSize(program).c_str());
  std::printf("value-change lines:\n");
  std::fflush(stdout);

  Collector collector(image);
  collector.EnableLogging();
  SteadyClock clock;
  ScanRunner runner(image, program, clock);
  LoopOptions options;
  options.period_ns = 10000000;
  options.duration_ns = static_cast<int64_t>(args.seconds * 1e9);
  int64_t lines = 0;
  std::string line;
  ScanStats stats = RunLoop(runner, clock, options, [&] {
    while (collector.Take(&line)) {
      ++lines;
      std::printf("  %s\n", TimestampLine(std::chrono::system_clock::now(), ToTerminal(line)).c_str());
      std::fflush(stdout);
    }
  });
  collector.Restore();
  EndLineAfterInterrupt();

  const std::vector<DeviceValue> rows = ReadAll(image, DevicesOf(program));
  std::printf("\n%s; devices after the last scan:\n\n%s\n", Counted(lines, "value-change line").c_str(),
              RenderTable(rows).c_str());
  std::printf("%s\n", stats.Summary().c_str());
  PrintRepeatedLibraryMessages();
  return 0;
}

}  // namespace

void AddDemoCommand(CLI::App& app, int* exit_code) {
  auto args = std::make_shared<DemoArgs>();
  CLI::App* demo = app.add_subcommand(
      "demo", "Run the bundled traffic-light and conveyor programs for a few seconds, printing value changes");
  demo->add_option("--seconds", args->seconds, "How long to run")->default_val(8)->check(CLI::Range(0.1, 3600.0));
  demo->add_option("--program", args->programs, "Run these programs instead of the bundled ones");
  demo->callback([args, exit_code] { *exit_code = Demo(*args); });
}

}  // namespace quorsma::tool
