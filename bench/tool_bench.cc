// The quorsma runner: its own work per scan beyond the instruction calls
// (special relays, timers, edge slots), and whole scans of the bundled
// programs through the library's exports.
//
// Runs on the section named by QUORSMA_SECTION, which it writes: give it a
// name of its own.
#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "cli/clock.h"
#include "runner/program_checker.h"
#include "quorsma/quorsma.h"
#include "runner/scan_runner.h"
#include "cli/client_names.h"
#include "snapshot/snapshot_restore.h"

namespace {

using quorsma::tool::FakeClock;
using quorsma::tool::Instruction;
using quorsma::tool::InstructionInfo;
using quorsma::tool::OperandForm;
using quorsma::tool::Program;
using quorsma::tool::ScanRunner;
using quorsma::tool::Signature;

MH_SHARED_STRUCTURE* Image() {
  MH_SHARED_STRUCTURE* image = nullptr;
  smGetMemoryPointer(&image);
  return image;
}

// 64 timers whose coils are on and whose set values are out of reach, so that
// every scan advances all of them.
Program SixtyFourRunningTimers(MH_SHARED_STRUCTURE* image) {
  Program program;
  for (int32_t t = 0; t < 64; ++t) {
    program.timers.push_back(t * 7);
    image->Tcoil[t * 7] = 1;
    image->Tset[t * 7] = INT32_MAX;
    image->Tcur[t * 7] = 0;
  }
  return program;
}

void BM_RunnerHousekeeping64Timers(benchmark::State& state) {
  MH_SHARED_STRUCTURE* image = Image();
  Program program = SixtyFourRunningTimers(image);
  FakeClock clock;
  ScanRunner runner(image, program, clock);
  int64_t now = 0;
  for (auto _ : state) {
    now += 10000000;  // one 10 ms scan period: every timer advances a tick
    runner.Housekeeping(now);
    benchmark::ClobberMemory();
  }
}
BENCHMARK(BM_RunnerHousekeeping64Timers);

extern "C" void QSMA_API NoInstruction(const char*) {}

// A whole scan of 64 running timers and `range(0)` edge instructions that do
// nothing: the runner's own work per scan, with END.
void BM_RunnerScanOverhead(benchmark::State& state) {
  MH_SHARED_STRUCTURE* image = Image();
  Program program = SixtyFourRunningTimers(image);
  static const InstructionInfo kNothing = {
      "NOTHING", Signature::kOne, OperandForm::kContact, 1, 1, true, nullptr, NoInstruction, nullptr, nullptr, nullptr};
  for (int64_t i = 0; i < state.range(0); ++i) {
    Instruction in;
    in.info = &kNothing;
    in.operands[0] = "X0";
    in.pulse_slot = program.pulse_slots++;
    program.instructions.push_back(in);
  }
  FakeClock clock;
  ScanRunner runner(image, program, clock);
  for (auto _ : state) {
    clock.AdvanceMs(10);
    runner.RunScan();
  }
}
BENCHMARK(BM_RunnerScanOverhead)->Arg(0)->Arg(16)->Arg(256);

// Whole scans of a bundled program, on a clock that moves 10 ms per scan.
// With `record`, each scan also records the result of every instruction and
// copies them after the scan, as the runner does for the program view.
void ScanProgram(benchmark::State& state, const std::vector<std::string>& files, bool record = false) {
  MH_SHARED_STRUCTURE* image = Image();
  Program program;
  std::vector<std::string> errors;
  std::vector<std::string> paths;
  for (const std::string& file : files) paths.push_back(std::string(QSMA_TOOL_EXAMPLES) + "/" + file);
  if (!quorsma::tool::LoadPrograms(paths, &program, &errors)) {
    state.SkipWithError(errors.empty() ? "cannot load" : errors[0].c_str());
    return;
  }
  image->D[301] = 12;
  image->D[302] = 25;
  FakeClock clock;
  ScanRunner runner(image, program, clock);
  std::vector<uint8_t> results(program.instructions.size()), copy(program.instructions.size());
  if (record) runner.set_results(results.data());
  for (auto _ : state) {
    clock.AdvanceMs(10);
    runner.RunScan();
    if (record) copy = results;
  }
  state.counters["instructions"] = static_cast<double>(program.instructions.size());
}

void BM_ScanTrafficLightAndConveyor(benchmark::State& state) {
  ScanProgram(state, {"traffic_light.il", "conveyor.il"});
}
BENCHMARK(BM_ScanTrafficLightAndConveyor);

void BM_ScanBench1000Rungs(benchmark::State& state) { ScanProgram(state, {"bench_1000.il"}); }
BENCHMARK(BM_ScanBench1000Rungs)->Unit(benchmark::kMicrosecond);

void BM_ScanBench1000RungsPublishing(benchmark::State& state) { ScanProgram(state, {"bench_1000.il"}, true); }
BENCHMARK(BM_ScanBench1000RungsPublishing)->Unit(benchmark::kMicrosecond);

// restore --comments: N comments of M relays that all differ from the image's
// (two sets of texts in turn), set with one rewrite of the comment file.  One
// smModifyMemoryComment per comment would cost N rewrites (comment_bench).
void BM_RestoreComments(benchmark::State& state) {
  MH_SHARED_STRUCTURE* image = Image();
  const int64_t n = state.range(0);
  std::vector<quorsma::tool::SnapshotEntry> texts[2];
  for (int k = 0; k < 2; ++k) {
    for (int64_t i = 0; i < n; ++i) {
      quorsma::tool::SnapshotEntry e;
      e.device = "M";
      e.number = static_cast<int32_t>(100000 + i);
      e.has_comment = true;
      e.comment = "bench " + std::to_string(k) + " " + std::to_string(i);
      texts[k].push_back(e);
    }
  }
  // The comment file keeps the texts of earlier runs: start from none.
  for (const quorsma::tool::SnapshotEntry& e : texts[0])
    std::memset(quorsma::tool::CommentEntry(image, e.device, e.number), 0, QSMA_COMMENT_BYTES);
  int k = 0;
  for (auto _ : state) {
    int64_t changed = 0;
    std::string error;
    k ^= 1;
    if (!quorsma::tool::RestoreComments(image, texts[k], &changed, &error) || changed != n) {
      std::fprintf(stderr, "%s (%lld of %lld changed)\n", error.c_str(), static_cast<long long>(changed),
                   static_cast<long long>(n));
      state.SkipWithError("the comments were not restored");
      break;
    }
  }
  state.SetItemsProcessed(state.iterations() * n);
}
BENCHMARK(BM_RestoreComments)->Arg(100)->Arg(2000)->Unit(benchmark::kMillisecond);

// The runner and every force command read the whole force table: N forced
// registers, read and checked line by line (linear in the lines).
void BM_LoadForceTable(benchmark::State& state) {
  const int64_t n = state.range(0);
  quorsma::tool::ForceTable forces;
  for (int64_t i = 0; i < n; ++i) forces.Set({"D", static_cast<int32_t>(i), static_cast<int32_t>(i)});
  std::string error;
  if (!forces.Save(&error)) {
    state.SkipWithError(error.c_str());
    return;
  }
  for (auto _ : state) {
    if (!forces.Load(&error) || static_cast<int64_t>(forces.forces().size()) != n) {
      state.SkipWithError(error.c_str());
      break;
    }
  }
  forces.ClearAll();
  forces.Save(&error);
  state.SetItemsProcessed(state.iterations() * n);
}
BENCHMARK(BM_LoadForceTable)->Arg(100000)->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char** argv) {
  const char* section = std::getenv("QUORSMA_SECTION");
  if (section == nullptr || *section == '\0' || Image() == nullptr) {
    std::fprintf(stderr, "set QUORSMA_SECTION to a section name of the benchmark's own\n");
    return 1;
  }
  benchmark::Initialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}
