// quorsma demo: the bundled example programs on the bundled installation,
// with the collector printing value-change lines and a closing table.
#include <algorithm>
#include <chrono>
#include <iterator>
#include <cstdio>
#include <cstring>
#include <set>
#include <string>
#include <vector>

#include "clock.h"
#include "collector.h"
#include "commands.h"
#include "host.h"
#include "library_messages.h"
#include "monitor.h"
#include "operand_syntax.h"
#include "program_checker.h"
#include "scan_loop.h"
#include "scan_runner.h"
#include "terminal.h"
#include "text_encoding.h"

namespace quorsma::tool {
namespace {

struct DemoArgs {
  double seconds = 8;
  std::vector<std::string> programs;
};

const char* const kDemoPrograms[] = {"traffic_light.il", "conveyor.il"};

// Every device operand of the program (special relays aside), by device kind
// and number.
std::vector<std::string> DevicesOf(const Program& program) {
  static const char* const kOrder[] = {"X", "Y", "M", "L", "B", "S", "T", "D", "W", "R", "Z"};
  auto rank = [](const Operand& op) {
    for (std::size_t i = 0; i < std::size(kOrder); ++i) {
      if (op.device == kOrder[i]) return static_cast<int64_t>(i) << 32 | op.number;
    }
    return static_cast<int64_t>(std::size(kOrder)) << 32 | op.number;
  };
  std::vector<std::pair<int64_t, std::string>> ranked;
  std::set<std::string> seen;
  for (const Instruction& in : program.instructions) {
    for (const std::string& text : in.operands) {
      Operand op;
      std::string reason;
      if (text.empty() || !CheckOperand(text, Role::kValue, &op, &reason)) continue;
      if (op.kind == Operand::Kind::kConstant || (op.device == "SM")) continue;
      if (seen.insert(text).second) ranked.emplace_back(rank(op), text);
    }
  }
  std::stable_sort(ranked.begin(), ranked.end(),
                   [](const auto& a, const auto& b) { return a.first < b.first; });
  std::vector<std::string> devices;
  for (auto& entry : ranked) devices.push_back(std::move(entry.second));
  return devices;
}

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
  Program program;
  std::vector<std::string> errors;
  if (!LoadPrograms(paths, &program, &errors)) {
    for (const std::string& e : errors) std::fprintf(stderr, "%s\n", e.c_str());
    return Fail("the demo programs could not be loaded");
  }
  MH_SHARED_STRUCTURE* image = RequireImage();
  if (image == nullptr) return kExitFailure;
  CaptureLibraryMessages();
  InstallStopHandler();

  std::printf("QuorSMA demo on equipment \"%s\", program version %s\n", Field(image->EqpName).c_str(),
              Field(image->ProgramVer).c_str());
  std::printf("  parameters  %s\n  PLC files   %s\n", Field(image->MemParaPath).c_str(),
              Field(image->MemPlcPath).c_str());
  std::printf("running %s for %.1f s: %zu instructions, %d edge slots, %zu timers\n\n", program.name.c_str(),
              args.seconds, program.instructions.size(), program.pulse_slots, program.timers.size());
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

  const std::vector<DeviceValue> rows = ReadAll(image, DevicesOf(program));
  std::printf("\n%lld value-change line%s; devices after the last scan:\n\n%s\n", static_cast<long long>(lines),
              lines == 1 ? "" : "s", RenderTable(rows).c_str());
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
  demo->add_option("--program", args->programs, "Run these programs instead of the bundled ones")
      ->check(CLI::ExistingFile);
  demo->callback([args, exit_code] { *exit_code = Demo(*args); });
}

}  // namespace quorsma::tool
