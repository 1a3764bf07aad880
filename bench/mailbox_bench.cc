// The value-change mailbox between processes: how many lines per second a
// collector takes when one producer process changes a device as fast as the
// slot frees, and the time from the producer's write to the collector taking
// the line (p50, p99, max).
//
//   mailbox_bench [--lines N] [--runs R]
//
// Each run measures both collectors: `poll` looks at the flag every
// millisecond (as the log collector did before it could sleep), `wait` sleeps
// on the flag and is woken by the library.  The program runs on a section of
// its own (it starts itself again with QUORSMA_SECTION set) and starts the
// producer as a second process; write times pass through a shared memfd.
#include <spawn.h>
#include <sys/mman.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <thread>
#include <vector>

#include "bench_support.h"
#include "cli/client_names.h"
#include "quorsma/quorsma.h"

extern char** environ;

namespace {

using Clock = std::chrono::steady_clock;

int64_t NowNs() {
  return std::chrono::duration_cast<std::chrono::nanoseconds>(Clock::now().time_since_epoch()).count();
}

// Shared between the collector and the producer.
struct Shared {
  std::atomic<int32_t> go;
  std::atomic<int32_t> done;
  int64_t written_ns[1];  // indexed by line number, `lines` + 1 entries
};

std::size_t SharedBytes(int64_t lines) { return sizeof(Shared) + sizeof(int64_t) * static_cast<std::size_t>(lines + 1); }

Shared* MapShared(int fd, int64_t lines) {
  void* p = mmap(nullptr, SharedBytes(lines), PROT_READ | PROT_WRITE, MAP_SHARED, fd, 0);
  if (p == MAP_FAILED) {
    std::perror("mmap");
    std::exit(1);
  }
  return static_cast<Shared*>(p);
}

// The producer: writes W0 = 1, 2, ... N through SetSma, each as soon as the
// slot is free, and notes when it wrote.
int Produce(int fd, int64_t lines) {
  Shared* shared = MapShared(fd, lines);
  MH_SHARED_STRUCTURE* image = nullptr;
  smGetMemoryPointer(&image);
  while (shared->go.load() == 0) std::this_thread::yield();
  for (int64_t n = 1; n <= lines; ++n) {
    for (int spins = 0; std::atomic_ref<int32_t>(image->LogLinePending).load() != 0; ++spins) {
      if (spins > 64) std::this_thread::yield();
      if (shared->done.load() != 0) return 0;
    }
    shared->written_ns[n] = NowNs();
    SetSma("W0", static_cast<int32_t>(n));
  }
  return 0;
}

struct Result {
  double lines_per_second;
  double p50_us, p99_us, max_us;
  int64_t taken;
};

Result Collect(const std::string& self, bool sleep_on_flag, int64_t lines) {
  MH_SHARED_STRUCTURE* image = quorsma::bench::EmptyMailbox(0, 1);
  int fd = memfd_create("mailbox_bench", 0);
  if (fd < 0 || ftruncate(fd, static_cast<off_t>(SharedBytes(lines))) != 0) {
    std::perror("memfd");
    std::exit(1);
  }
  Shared* shared = MapShared(fd, lines);
  std::string fd_text = std::to_string(fd), lines_text = std::to_string(lines);
  char* argv[] = {const_cast<char*>(self.c_str()), const_cast<char*>("--produce"), fd_text.data(),
                  lines_text.data(), nullptr};
  pid_t child = 0;
  if (posix_spawn(&child, self.c_str(), nullptr, nullptr, argv, environ) != 0) {
    std::perror("posix_spawn");
    std::exit(1);
  }
  quorsma::tool::Collector collector(image);
  quorsma::tool::LineWaiter waiter(image);
  std::vector<int64_t> latency;
  latency.reserve(static_cast<std::size_t>(lines));
  std::string line;
  shared->go.store(1);
  int64_t first = 0, last = 0;
  const auto deadline = Clock::now() + std::chrono::seconds(60);
  while (static_cast<int64_t>(latency.size()) < lines && Clock::now() < deadline) {
    if (!collector.Take(&line)) {
      if (sleep_on_flag) {
        waiter.Wait(std::chrono::milliseconds(100));
      } else {
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
      }
      continue;
    }
    const int64_t now = NowNs();
    // "VC => W[0000]=previous => value \t: comment"
    const char* arrow = std::strstr(line.c_str() + 6, "=> ");
    const long n = arrow ? std::strtol(arrow + 3, nullptr, 10) : 0;
    if (n < 1 || n > lines) continue;
    if (first == 0) first = now;
    last = now;
    latency.push_back(now - shared->written_ns[n]);
  }
  shared->done.store(1);
  int status = 0;
  waitpid(child, &status, 0);
  munmap(shared, SharedBytes(lines));
  close(fd);
  image->LogEnable = 0;
  Result r{};
  r.taken = static_cast<int64_t>(latency.size());
  if (latency.empty()) return r;
  std::sort(latency.begin(), latency.end());
  auto at = [&](double q) { return latency[static_cast<std::size_t>(q * static_cast<double>(latency.size() - 1))] / 1e3; };
  r.lines_per_second = last > first ? static_cast<double>(r.taken - 1) * 1e9 / static_cast<double>(last - first) : 0;
  r.p50_us = at(0.50);
  r.p99_us = at(0.99);
  r.max_us = latency.back() / 1e3;
  return r;
}

using quorsma::bench::Median;

}  // namespace

int main(int argc, char** argv) {
  const std::string self = "/proc/self/exe";
  if (argc >= 4 && std::strcmp(argv[1], "--produce") == 0) return Produce(std::atoi(argv[2]), std::atoll(argv[3]));
  quorsma::bench::RestartOnOwnSection(argv, "qsma_mailbox_bench_");
  int64_t lines = 200000;
  int runs = 5;
  for (int i = 1; i + 1 < argc; i += 2) {
    if (std::strcmp(argv[i], "--lines") == 0) lines = std::atoll(argv[i + 1]);
    if (std::strcmp(argv[i], "--runs") == 0) runs = std::atoi(argv[i + 1]);
  }
  std::printf("%-6s %8s %14s %10s %10s %10s\n", "mode", "lines", "lines/s", "p50 us", "p99 us", "max us");
  for (bool sleep_on_flag : {false, true}) {
    // Polling takes a millisecond a line: a few thousand lines say enough.
    const int64_t n = sleep_on_flag ? lines : std::min<int64_t>(lines, 2000);
    std::vector<double> rate, p50, p99, max;
    for (int run = 0; run < runs; ++run) {
      Result r = Collect(self, sleep_on_flag, n);
      rate.push_back(r.lines_per_second);
      p50.push_back(r.p50_us);
      p99.push_back(r.p99_us);
      max.push_back(r.max_us);
      if (r.taken != n) std::printf("  run %d took only %lld of %lld lines\n", run, static_cast<long long>(r.taken),
                                    static_cast<long long>(n));
    }
    std::printf("%-6s %8lld %14.0f %10.1f %10.1f %10.1f   (medians of %d runs)\n", sleep_on_flag ? "wait" : "poll",
                static_cast<long long>(n), Median(rate), Median(p50), Median(p99), Median(max), runs);
  }
  return 0;
}
