// Attach and detach of a process: the first process of a section (which
// creates it, reserving the whole section, or leaving it sparse with
// QUORSMA_SPARSE_SECTION=1) and a later one (which opens it), with no data
// files present.
#include <benchmark/benchmark.h>

#include <cstdlib>
#include <string>

#include "exports/open_library.h"
#include "support/test_env.h"

namespace {

using quorsma::exports::CloseLibrary;
using quorsma::exports::OpenLibrary;
using quorsma::segment::Segment;

// Messages of the missing configuration are captured, not shown.
quorsma::testing::TestEnv& BenchEnv(const std::string& section) {
  static quorsma::testing::TestEnv env;
  env.environment["QUORSMA_SECTION"] = section;
  env.executable_path = "/nonexistent/bench/quorsma_bench";
  env.Clear();
  return env;
}

void BM_AttachFirstProcess(benchmark::State& state) {
  const bool sparse = state.range(0) != 0;
  if (sparse) setenv("QUORSMA_SPARSE_SECTION", "1", 1);
  int round = 0;
  for (auto _ : state) {
    auto& env = BenchEnv("qsma_bench_first_" + std::to_string(++round));
    Segment segment(&env);
    OpenLibrary(segment);
    CloseLibrary(segment);
    segment.Close();  // last holder: the section goes away
  }
  unsetenv("QUORSMA_SPARSE_SECTION");
}
BENCHMARK(BM_AttachFirstProcess)->ArgName("sparse")->Arg(0)->Arg(1)->Unit(benchmark::kMicrosecond)->UseRealTime();

void BM_AttachLaterProcess(benchmark::State& state) {
  auto& env = BenchEnv("qsma_bench_later");
  Segment holder(&env);
  OpenLibrary(holder);  // an earlier process keeps the section alive
  for (auto _ : state) {
    Segment segment(&env);
    OpenLibrary(segment);
    CloseLibrary(segment);
    segment.Close();
    env.Clear();
  }
  CloseLibrary(holder);
  holder.Close();
}
BENCHMARK(BM_AttachLaterProcess)->Unit(benchmark::kMicrosecond);

}  // namespace

BENCHMARK_MAIN();
