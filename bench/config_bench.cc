// Retentive data registers and value-change checks:
//   - Set_Map for D on a _DIO_DV.ini that holds all 2,621 groups (goal: under
//     1 ms per call, median);
//   - a value-change check that finds no change (goal: under 2 ns per call);
//   - the attach-time load of a full _DIO_DV.ini (goal: under 30 ms).
#include <benchmark/benchmark.h>
#include <sys/mman.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <random>
#include <string>

#include "config/retentive.h"
#include "config/value_change_log.h"
#include "platform/env.h"

namespace {

using quorsma::Context;
using quorsma::Image;

// A private zero-filled image; pages come into being where they are written.
Image* NewImage() {
  void* p = mmap(nullptr, sizeof(Image), PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS | MAP_NORESERVE, -1, 0);
  return p == MAP_FAILED ? nullptr : static_cast<Image*>(p);
}

// A directory with a _DIO_DV.ini of all 2,621 groups, with the values of D:
// typical registers (mostly 0 and small counts, about 390 KB) or, with
// `wide`, a quarter of them full 32-bit values (about 770 KB).
struct FullFile {
  std::filesystem::path dir;
  FullFile(Image* image, unsigned seed, bool wide) {
    dir = std::filesystem::temp_directory_path() / ("quorsma-config-bench-" + std::to_string(seed));
    std::filesystem::create_directories(dir);
    std::mt19937 random(seed);
    std::string content = "[MODULE_DV]\r\n";
    for (int g = 0; g < 2621; ++g) {
      char key[16];
      std::snprintf(key, sizeof key, "D%06d=", g * 50);
      content += key;
      for (int k = 0; k < 50; ++k) {
        int32_t v;
        if (wide)
          v = (random() % 4 == 0) ? static_cast<int32_t>(random()) : static_cast<int32_t>(random() % 1000);
        else
          v = (random() % 2 == 0) ? 0 : static_cast<int32_t>(random() % (random() % 10 == 0 ? 100000 : 100));
        image->D[g * 50 + k] = v;
        content += std::to_string(v) + ",";
      }
      content += "\r\n";
    }
    std::ofstream(dir / "_DIO_DV.ini", std::ios::binary) << content;
    std::snprintf(image->MemParaPath, sizeof image->MemParaPath, "%s", dir.c_str());
  }
  ~FullFile() { std::filesystem::remove_all(dir); }
};

void BM_SetMapFullFile(benchmark::State& state) {
  Image* image = NewImage();
  Context context{image, quorsma::platform::DefaultEnv()};
  FullFile file(image, 11, state.range(0) != 0);
  std::mt19937 random(3);
  for (auto _ : state) {
    int32_t i = static_cast<int32_t>(random() % 131050);
    ++image->D[i];
    image->LogLinePending = 0;
    quorsma::config::SetMap(context, "D", i);
  }
  munmap(image, sizeof(Image));
}
BENCHMARK(BM_SetMapFullFile)
    ->ArgName("wide")
    ->Arg(0)
    ->Arg(1)
    ->Unit(benchmark::kMicrosecond)
    ->UseRealTime()
    ->Repetitions(5)
    ->DisplayAggregatesOnly(true);

// The checks every device access runs, finding no change.
template <void (*Check)(const Context&, int32_t)>
void BM_CheckNoChange(benchmark::State& state) {
  Image* image = NewImage();
  Context context{image, quorsma::platform::DefaultEnv()};
  int32_t i = 0;
  for (auto _ : state) {
    Check(context, i);
    i = (i + 1) & 1023;
  }
  munmap(image, sizeof(Image));
}
BENCHMARK(BM_CheckNoChange<quorsma::config::CheckM>)->Name("BM_CheckNoChange/M");
BENCHMARK(BM_CheckNoChange<quorsma::config::CheckW>)->Name("BM_CheckNoChange/W");
BENCHMARK(BM_CheckNoChange<quorsma::config::CheckD>)->Name("BM_CheckNoChange/D");

void BM_LoadFullFile(benchmark::State& state) {
  Image* image = NewImage();
  Context context{image, quorsma::platform::DefaultEnv()};
  FullFile file(image, 5, state.range(0) != 0);
  for (auto _ : state) quorsma::config::LoadRetentiveRegisters(context);
  munmap(image, sizeof(Image));
}
BENCHMARK(BM_LoadFullFile)->ArgName("wide")->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace

BENCHMARK_MAIN();
