// Retentive data registers and value-change checks:
//   - Set_Map for D on a _DIO_DV.ini that holds all 2,621 groups (goal: under
//     1 ms per call, median), in three ways: as the library does it (the file
//     replaced at once, made durable by the background flusher), flushed to
//     the disk inside the call, and never flushed (the earlier behaviour);
//   - the window in which a saved change is not yet durable with the
//     background flusher, at one Set_Map every 10 ms (goal: at most 100 ms);
//   - a value-change check that finds no change (goal: under 2 ns per call);
//   - the attach-time load of a full _DIO_DV.ini (goal: under 30 ms).
#include <benchmark/benchmark.h>
#include <sys/mman.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <mutex>
#include <thread>
#include <vector>
#include <filesystem>
#include <fstream>
#include <random>
#include <string>

#include "config/retentive.h"
#include "config/value_change_log.h"
#include "platform/env.h"
#include "platform/posix/background_sync.h"

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

// Flushes nothing: the replacement as it was before files were flushed.
class UnflushedEnv : public quorsma::platform::EnvWrapper {
 public:
  UnflushedEnv() : EnvWrapper(quorsma::platform::DefaultEnv()) {}
  int SyncFile(const char*) override { return 0; }
  int SyncDirectory(const char*) override { return 0; }
};

// Flushes inside the call (EnvWrapper runs deferred syncs at once).
class FlushingEnv : public quorsma::platform::EnvWrapper {
 public:
  FlushingEnv() : EnvWrapper(quorsma::platform::DefaultEnv()) {}
};

// durability: 0 background flusher (the library), 1 flushed in the call,
// 2 never flushed.
void BM_SetMapFullFile(benchmark::State& state) {
  Image* image = NewImage();
  UnflushedEnv unflushed;
  FlushingEnv flushing;
  quorsma::platform::Env* env = quorsma::platform::DefaultEnv();
  if (state.range(1) == 1) env = &flushing;
  if (state.range(1) == 2) env = &unflushed;
  Context context{image, env};
  FullFile file(image, 11, state.range(0) != 0);
  std::mt19937 random(3);
  for (auto _ : state) {
    int32_t i = static_cast<int32_t>(random() % 131050);
    ++image->D[i];
    image->LogLinePending = 0;
    quorsma::config::SetMap(context, "D", i);
  }
  env->SyncPending();
  munmap(image, sizeof(Image));
}
BENCHMARK(BM_SetMapFullFile)
    ->ArgNames({"wide", "durability"})
    ->ArgsProduct({{0, 1}, {0, 1, 2}})
    ->Unit(benchmark::kMicrosecond)
    ->UseRealTime()
    ->Repetitions(5)
    ->DisplayAggregatesOnly(true);

// Records when each directory flush starts and ends; deferred syncs go to a
// background flusher of its own, which calls back into this Env.
class TimedEnv : public quorsma::platform::EnvWrapper {
 public:
  using Clock = std::chrono::steady_clock;
  TimedEnv() : EnvWrapper(quorsma::platform::DefaultEnv()), syncer_(this) {}
  int SyncDirectory(const char* directory) override {
    Clock::time_point start = Clock::now();
    int error = EnvWrapper::SyncDirectory(directory);
    std::lock_guard<std::mutex> guard(mutex_);
    flushes_.emplace_back(start, Clock::now());
    return error;
  }
  void SyncLater(const std::vector<std::string>& paths, quorsma::platform::InterProcessLock* writers) override {
    syncer_.Add(paths, writers);
  }
  void SyncPending() override { syncer_.Finish(); }
  // The end of the first directory flush that started after `t`, if any.
  bool DurableAt(Clock::time_point t, Clock::time_point* out) {
    std::lock_guard<std::mutex> guard(mutex_);
    for (const auto& [start, end] : flushes_)
      if (start >= t) {
        *out = end;
        return true;
      }
    return false;
  }

 private:
  quorsma::platform::BackgroundSync syncer_;
  std::mutex mutex_;
  std::vector<std::pair<Clock::time_point, Clock::time_point>> flushes_;
};

// How long after Set_Map returns its change is durable, with one Set_Map
// every 10 ms (a scan) over the full file: median and largest, in ms.
void BM_SetMapLossWindow(benchmark::State& state) {
  Image* image = NewImage();
  TimedEnv env;
  Context context{image, &env};
  FullFile file(image, 13, false);
  std::mt19937 random(5);
  std::vector<TimedEnv::Clock::time_point> saved;
  for (auto _ : state) {
    int32_t i = static_cast<int32_t>(random() % 131050);
    ++image->D[i];
    quorsma::config::SetMap(context, "D", i);
    saved.push_back(TimedEnv::Clock::now());
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  }
  std::this_thread::sleep_for(std::chrono::milliseconds(300));
  env.SyncPending();
  std::vector<double> windows;
  for (const auto& t : saved) {
    TimedEnv::Clock::time_point durable;
    if (!env.DurableAt(t, &durable)) continue;
    windows.push_back(std::chrono::duration<double, std::milli>(durable - t).count());
  }
  std::sort(windows.begin(), windows.end());
  if (!windows.empty()) {
    state.counters["window_median_ms"] = windows[windows.size() / 2];
    state.counters["window_max_ms"] = windows.back();
  }
  munmap(image, sizeof(Image));
}
BENCHMARK(BM_SetMapLossWindow)->Iterations(300)->Unit(benchmark::kMillisecond)->UseRealTime();

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
