// Ladder evaluation through the exported functions: a generated program of
// 1,000 rungs (about 5,000 instructions) called as straight-line code, the
// way a compiled ladder program calls the library, with END once per scan;
// the same steps run from a table by a client loop over the exports, and by
// the same loop calling empty functions instead; beside them the same rungs
// as plain C++ on plain arrays, the table run by a hand-written interpreter
// over plain arrays, and END alone.
//
// The library maps its section when it is loaded.  Run with QUORSMA_SECTION
// set to a name of your own; without it the program runs itself again with a
// unique name, so the benchmark never works on the machine's live section.
// The attach of a section without a configuration file prints its "is NULL!!"
// lines on standard error; they do not affect the figures.
#include <benchmark/benchmark.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "ladder_program.h"
#include "ladder_table.h"
#include "quorsma/quorsma.h"

extern char** environ;

namespace {

using quorsma::bench::Drive;
using quorsma::bench::kProgramEdgeCells;
using quorsma::bench::kProgramInputs;
using quorsma::bench::kProgramInstructions;
using quorsma::bench::kProgramOutputs;
using quorsma::bench::kProgramRegisters;
using quorsma::bench::kProgramRelays;
using quorsma::bench::kProgramTimers;
using quorsma::bench::PlainImage;
using quorsma::bench::RunExported;
using quorsma::bench::RunPlain;
using quorsma::bench::TableClient;
using quorsma::bench::TableDispatch;
using quorsma::bench::TableInterpreter;

MH_SHARED_STRUCTURE* Image() {
  MH_SHARED_STRUCTURE* image = nullptr;
  smGetMemoryPointer(&image);
  return image;
}

void Reset(MH_SHARED_STRUCTURE* image) {
  std::memset(image->X, 0, sizeof image->X);
  std::memset(image->Y, 0, sizeof image->Y);
  std::memset(image->M, 0, sizeof(int32_t) * kProgramRelays);
  std::memset(image->D, 0, sizeof(int32_t) * kProgramRegisters);
  std::memset(image->Tcur, 0, sizeof(int32_t) * kProgramTimers);
  std::memset(image->Tset, 0, sizeof(int32_t) * kProgramTimers);
  std::memset(image->Tcoil, 0, sizeof(int32_t) * kProgramTimers);
  std::memset(image->PulseMemory, 0, sizeof(int32_t) * kProgramEdgeCells);
  image->LogEnable = 0;
  image->SM[403] = 1;
  END();
}

// A form through the library and a form on plain arrays, run side by side
// from the same start, must agree on every device after every scan;
// otherwise the comparison would be meaningless.
template <typename RunLibrary, typename RunOnPlain>
bool VersionsAgree(RunLibrary run_library, RunOnPlain run_plain, PlainImage& plain, std::string* why) {
  MH_SHARED_STRUCTURE* image = Image();
  Reset(image);
  plain = PlainImage{};
  plain.SM403 = 1;
  for (int scan = 0; scan < 200; ++scan) {
    Drive(*image, scan);
    Drive(plain, scan);
    run_library(image);
    run_plain(plain);
    auto differs = [&](const char* kind, const int32_t* a, const int32_t* b, int n) {
      for (int i = 0; i < n; ++i) {
        if (a[i] != b[i]) {
          *why = "scan " + std::to_string(scan) + ": " + kind + std::to_string(i) + " is " + std::to_string(a[i]) +
                 " through the library, " + std::to_string(b[i]) + " on plain arrays";
          return true;
        }
      }
      return false;
    };
    if (differs("Y", image->Y, plain.Y, kProgramOutputs) || differs("M", image->M, plain.M, kProgramRelays) ||
        differs("D", image->D, plain.D, kProgramRegisters) || differs("Tcur", image->Tcur, plain.Tcur, kProgramTimers) ||
        differs("Tset", image->Tset, plain.Tset, kProgramTimers))
      return false;
  }
  return true;
}

void CountInstructions(benchmark::State& state) {
  state.counters["instructions"] = kProgramInstructions;
  state.counters["per_instruction"] = benchmark::Counter(
      kProgramInstructions, benchmark::Counter::kIsIterationInvariantRate | benchmark::Counter::kInvert);
}

void BM_ScanThroughExports(benchmark::State& state) {
  MH_SHARED_STRUCTURE* image = Image();
  if (image == nullptr) {
    state.SkipWithError("the library has no image");
    return;
  }
  static PlainImage plain;
  std::string why;
  if (!VersionsAgree(RunExported, RunPlain, plain, &why)) {
    state.SkipWithError(why.c_str());
    return;
  }
  Reset(image);
  int scan = 0;
  for (auto _ : state) {
    Drive(*image, scan++);
    RunExported(image);
  }
  CountInstructions(state);
}
BENCHMARK(BM_ScanThroughExports)->Unit(benchmark::kMicrosecond)->Repetitions(7)->DisplayAggregatesOnly(true);

// The table-driven client loop over the exports.
void BM_ScanTableLoop(benchmark::State& state) {
  MH_SHARED_STRUCTURE* image = Image();
  if (image == nullptr) {
    state.SkipWithError("the library has no image");
    return;
  }
  const TableClient client(image);
  static PlainImage plain;
  std::string why;
  if (!VersionsAgree([&](MH_SHARED_STRUCTURE*) { client.RunScan(); }, RunPlain, plain, &why)) {
    state.SkipWithError(why.c_str());
    return;
  }
  Reset(image);
  int scan = 0;
  for (auto _ : state) {
    Drive(*image, scan++);
    client.RunScan();
  }
  CountInstructions(state);
}
BENCHMARK(BM_ScanTableLoop)->Unit(benchmark::kMicrosecond)->Repetitions(7)->DisplayAggregatesOnly(true);

// The same loop with empty functions in place of the exports.
void BM_ScanTableDispatch(benchmark::State& state) {
  MH_SHARED_STRUCTURE* image = Image();
  if (image == nullptr) {
    state.SkipWithError("the library has no image");
    return;
  }
  const TableDispatch dispatch(image);
  int scan = 0;
  for (auto _ : state) {
    Drive(*image, scan++);
    dispatch.RunScan();
  }
  CountInstructions(state);
}
BENCHMARK(BM_ScanTableDispatch)->Unit(benchmark::kMicrosecond)->Repetitions(7)->DisplayAggregatesOnly(true);

void BM_ScanPlainCpp(benchmark::State& state) {
  static PlainImage plain;
  plain = PlainImage{};
  plain.SM403 = 1;
  int scan = 0;
  for (auto _ : state) {
    Drive(plain, scan++);
    RunPlain(plain);
    benchmark::ClobberMemory();
  }
  CountInstructions(state);
}
BENCHMARK(BM_ScanPlainCpp)->Unit(benchmark::kMicrosecond)->Repetitions(7)->DisplayAggregatesOnly(true);

// The hand-written interpreter of the same table over plain arrays.
void BM_ScanInterpreter(benchmark::State& state) {
  if (Image() == nullptr) {
    state.SkipWithError("the library has no image");
    return;
  }
  static PlainImage plain;
  const TableInterpreter interpreter(plain);
  std::string why;
  if (!VersionsAgree(RunExported, [&](PlainImage& p) { interpreter.RunScan(p); }, plain, &why)) {
    state.SkipWithError(why.c_str());
    return;
  }
  plain = PlainImage{};
  plain.SM403 = 1;
  int scan = 0;
  for (auto _ : state) {
    Drive(plain, scan++);
    interpreter.RunScan(plain);
    benchmark::ClobberMemory();
  }
  CountInstructions(state);
}
BENCHMARK(BM_ScanInterpreter)->Unit(benchmark::kMicrosecond)->Repetitions(7)->DisplayAggregatesOnly(true);

void BM_End(benchmark::State& state) {
  if (Image() == nullptr) {
    state.SkipWithError("the library has no image");
    return;
  }
  for (auto _ : state) END();
}
BENCHMARK(BM_End)->Repetitions(7)->DisplayAggregatesOnly(true);

// Runs this program again with QUORSMA_SECTION set to a unique name and
// returns its exit status.
int RunOnPrivateSection(char** argv) {
  std::string section = "qsma_ladder_bench_" + std::to_string(getpid());
  setenv("QUORSMA_SECTION", section.c_str(), 1);
  pid_t child = 0;
  if (posix_spawn(&child, "/proc/self/exe", nullptr, nullptr, argv, environ) != 0) {
    std::perror("posix_spawn");
    return 1;
  }
  int status = 0;
  if (waitpid(child, &status, 0) < 0) return 1;
  return WIFEXITED(status) ? WEXITSTATUS(status) : 1;
}

}  // namespace

int main(int argc, char** argv) {
  if (std::getenv("QUORSMA_SECTION") == nullptr) return RunOnPrivateSection(argv);
  benchmark::Initialize(&argc, argv);
  if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}
