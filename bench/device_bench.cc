// Device access through the exported functions, as a ladder runner calls
// them: GetSma on plain operands and on the indexed, bit and digit forms, and
// SetSma on plain operands when the value does not change a logged device.
//
// The benchmark runs on a section of its own: without QUORSMA_SECTION in the
// environment it sets a unique name and starts itself again, so that the
// library attaches that section from the start.
#include <benchmark/benchmark.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <string>

#include "bench_support.h"
#include "quorsma/quorsma.h"

namespace {

MH_SHARED_STRUCTURE* Image() {
  MH_SHARED_STRUCTURE* image = nullptr;
  smGetMemoryPointer(&image);
  return image;
}

// Values in place and the last logged values equal to them, so that the
// value-change checks find nothing to report.
void Prepare(MH_SHARED_STRUCTURE* image) {
  image->LogEnable = 0;
  image->D[100] = 1234;
  image->LogPrevD[100] = 1234;
  image->D[101] = 8;
  image->LogPrevD[101] = 8;
  image->M[10] = 1;
  image->LogPrevM[10] = 1;
  image->M[12] = 1;
  image->LogPrevM[12] = 1;
  image->X[0x1F] = 1;
  image->Z[2] = 2;
  image->M[100] = 1;
  image->M[103] = 1;
}

void BM_GetSma(benchmark::State& state, const char* operand) {
  MH_SHARED_STRUCTURE* image = Image();
  if (image == nullptr) {
    state.SkipWithError("section not mapped");
    return;
  }
  Prepare(image);
  for (auto _ : state) {
    const char* text = operand;
    benchmark::DoNotOptimize(text);
    benchmark::DoNotOptimize(GetSma(text));
  }
}

void BM_SetSma(benchmark::State& state, const char* operand, int32_t value) {
  MH_SHARED_STRUCTURE* image = Image();
  if (image == nullptr) {
    state.SkipWithError("section not mapped");
    return;
  }
  Prepare(image);
  for (auto _ : state) {
    const char* text = operand;
    benchmark::DoNotOptimize(text);
    SetSma(text, value);
  }
  benchmark::ClobberMemory();
}

// Reference: the cost of an exported call that does almost nothing.
void BM_CallReference(benchmark::State& state) {
  if (Image() == nullptr) {
    state.SkipWithError("section not mapped");
    return;
  }
  for (auto _ : state) {
    int32_t relay = 402;
    benchmark::DoNotOptimize(relay);
    benchmark::DoNotOptimize(SM(relay));
  }
}
BENCHMARK(BM_CallReference);

// Plain operands: goal under 5 ns per call.
BENCHMARK_CAPTURE(BM_GetSma, plain_D100, "D100");
BENCHMARK_CAPTURE(BM_GetSma, plain_X1F, "X1F");
BENCHMARK_CAPTURE(BM_GetSma, plain_M10, "M10");
BENCHMARK_CAPTURE(BM_GetSma, plain_K100, "K100");
// Indexed, bit and digit forms: goal under 15 ns per call.
BENCHMARK_CAPTURE(BM_GetSma, indexed_M10Z2, "M10Z2");
BENCHMARK_CAPTURE(BM_GetSma, bit_D100_3, "D100.3");
BENCHMARK_CAPTURE(BM_GetSma, digits_K4M100, "K4M100");
// Plain writes that change nothing logged: goal under 5 ns per call.
BENCHMARK_CAPTURE(BM_SetSma, plain_D100, "D100", 1234);
BENCHMARK_CAPTURE(BM_SetSma, plain_M10, "M10", 1);
BENCHMARK_CAPTURE(BM_SetSma, plain_Y0, "Y0", 1);

}  // namespace

int main(int argc, char** argv) {
  quorsma::bench::RestartOnOwnSection(argv, "qsma_device_bench_");
  benchmark::Initialize(&argc, argv);
  if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}
