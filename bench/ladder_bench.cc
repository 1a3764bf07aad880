// Ladder evaluation through the exported functions: a generated program of
// 1,000 rungs (about 5,000 instructions) called as straight-line code, the
// way a compiled ladder program calls the library, with END once per scan;
// beside it the same rungs as plain C++ on plain arrays, and END alone.
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

#include "quorsma/quorsma.h"

extern char** environ;

namespace {

// The devices the plain version of the program works on.
struct PlainImage {
  int32_t X[64];
  int32_t Y[256];
  int32_t M[1024];
  int32_t D[200];
  int32_t Tcur[16];
  int32_t Tset[16];
  int32_t Tcoil[16];
  int32_t edge[4096];
  int32_t SM403;
};

int32_t Add(int32_t a, int32_t b) { return static_cast<int32_t>(static_cast<uint32_t>(a) + static_cast<uint32_t>(b)); }
int32_t Sub(int32_t a, int32_t b) { return static_cast<int32_t>(static_cast<uint32_t>(a) - static_cast<uint32_t>(b)); }
int32_t Mul(int32_t a, int32_t b) { return static_cast<int32_t>(static_cast<uint32_t>(a) * static_cast<uint32_t>(b)); }

int32_t Rise(PlainImage& p, int slot, int32_t x) {
  int32_t& m = p.edge[slot];
  if (x == 1) {
    if (m == 0) {
      m = 1;
      return p.SM403 != 0;
    }
    if (m == 1) return 0;
  }
  m = 0;
  return 0;
}

int32_t Fall(PlainImage& p, int slot, int32_t x) {
  int32_t& m = p.edge[slot];
  if (x == 0) {
    if (m == 0) {
      m = 1;
      return p.SM403 != 0;
    }
    if (m == 1) return 0;
  }
  m = 0;
  return 0;
}

int32_t TimerContact(PlainImage& p, int t) { return p.Tcoil[t] > 0 && p.Tcur[t] >= p.Tset[t] ? 1 : 0; }

void TimerCoil(PlainImage& p, int t, int32_t on, int32_t set_value) {
  p.Tcoil[t] = on;
  int32_t s10 = on ? set_value * 10 : 0;
  if (s10 > 0 && s10 > p.Tcur[t]) {
    p.Tset[t] = s10;
  } else if (s10 == 0) {
    p.Tset[t] = 0;
    p.Tcur[t] = 0;
  }
}

#include "ladder_program.inc"

static_assert(sizeof(PlainImage::edge) / sizeof(int32_t) >= kProgramEdgeCells);

// The client's side of a scan: inputs change in a pattern that gives every
// input rising and falling edges, and timers with their coil on advance.
template <typename Image>
void Drive(Image& image, int scan) {
  for (int i = 0; i < kProgramInputs; ++i) image.X[i] = ((scan + i * 3) >> (i & 3)) & 1;
  for (int t = 0; t < kProgramTimers; ++t)
    if (image.Tcoil[t] > 0) image.Tcur[t] += 10;
}

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

// Both versions, run side by side from the same start, must agree on every
// device after every scan; otherwise the comparison would be meaningless.
bool VersionsAgree(std::string* why) {
  MH_SHARED_STRUCTURE* image = Image();
  Reset(image);
  static PlainImage plain;
  plain = PlainImage{};
  plain.SM403 = 1;
  for (int scan = 0; scan < 200; ++scan) {
    Drive(*image, scan);
    Drive(plain, scan);
    RunExported(image);
    RunPlain(plain);
    auto differs = [&](const char* kind, const int32_t* a, const int32_t* b, int n) {
      for (int i = 0; i < n; ++i) {
        if (a[i] != b[i]) {
          *why = "scan " + std::to_string(scan) + ": " + kind + std::to_string(i) + " is " + std::to_string(a[i]) +
                 " through the exports, " + std::to_string(b[i]) + " in plain C++";
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

void BM_ScanThroughExports(benchmark::State& state) {
  MH_SHARED_STRUCTURE* image = Image();
  if (image == nullptr) {
    state.SkipWithError("the library has no image");
    return;
  }
  std::string why;
  if (!VersionsAgree(&why)) {
    state.SkipWithError(why.c_str());
    return;
  }
  Reset(image);
  int scan = 0;
  for (auto _ : state) {
    Drive(*image, scan++);
    RunExported(image);
  }
  state.counters["instructions"] = kProgramInstructions;
  state.counters["per_instruction"] = benchmark::Counter(
      kProgramInstructions, benchmark::Counter::kIsIterationInvariantRate | benchmark::Counter::kInvert);
}
BENCHMARK(BM_ScanThroughExports)->Unit(benchmark::kMicrosecond)->Repetitions(7)->DisplayAggregatesOnly(true);

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
  state.counters["instructions"] = kProgramInstructions;
  state.counters["per_instruction"] = benchmark::Counter(
      kProgramInstructions, benchmark::Counter::kIsIterationInvariantRate | benchmark::Counter::kInvert);
}
BENCHMARK(BM_ScanPlainCpp)->Unit(benchmark::kMicrosecond)->Repetitions(7)->DisplayAggregatesOnly(true);

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
