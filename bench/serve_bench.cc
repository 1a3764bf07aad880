// Event streams of quorsma serve under load: 1,000 watched devices that all
// change every scan (10 ms), N clients on /api/events, updates every 200 ms.
// Measures the CPU the server process uses (user + system time over the run,
// as a share of one core) and, over every change event of every client:
//  - latest: the time from the write of the value the event carries to the
//    event's arrival (p50, p99);
//  - oldest: the same for the first write the event folds in (the scan after
//    the previous event's), which the update interval bounds (p50, p99).
//
//   ./build/linux/bench/serve_bench [--seconds S] [--clients N] [--interval MS] [--repetitions R]
//
// The writer is this program: each scan it stores the scan number into
// D0..D999 through the image and notes the time; a client reads D0's value
// from each change event and looks up when that scan was written.  Each
// repetition starts a fresh server; the figures are medians over the
// repetitions.  Without QUORSMA_SECTION the program sets a unique name and
// starts itself again, so that it never touches the machine's own section.
// This is a program, not a test: it is built with the project and run by hand.
#include <httplib.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <mutex>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "bench_support.h"
#include "quorsma/quorsma.h"

extern char** environ;

namespace {

using Clock = std::chrono::steady_clock;

constexpr int kDevices = 1000;
constexpr auto kScan = std::chrono::milliseconds(10);

struct Options {
  double seconds = 10;
  int clients = 10;
  int interval_ms = 200;
  int repetitions = 3;
};

struct Figures {
  double cpu_percent = 0;
  double p50_ms = 0, p99_ms = 0;
  double oldest_p50_ms = 0, oldest_p99_ms = 0;
  std::size_t events = 0;
};

// The server as a child process; its first line names the port.
using Server = quorsma::bench::ServerChild;

Server StartServer(const Options& options) {
  return quorsma::bench::StartServerChild({QSMA_BENCH_TOOL, "serve", "--listen", "127.0.0.1:0", "--interval",
                                           std::to_string(options.interval_ms)});
}

// User + system time of a process in seconds.
double CpuSeconds(pid_t pid) {
  std::ifstream in("/proc/" + std::to_string(pid) + "/stat");
  std::string stat((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  std::istringstream fields(stat.substr(stat.rfind(')') + 2));
  std::string field;
  unsigned long long utime = 0, stime = 0;
  for (int i = 3; i <= 15 && fields >> field; ++i) {
    if (i == 14) utime = std::stoull(field);
    if (i == 15) stime = std::stoull(field);
  }
  return static_cast<double>(utime + stime) / static_cast<double>(sysconf(_SC_CLK_TCK));
}

double Percentile(std::vector<double> values, double p) {
  if (values.empty()) return 0;
  std::sort(values.begin(), values.end());
  return values[std::min(values.size() - 1, static_cast<std::size_t>(p * static_cast<double>(values.size())))];
}

Figures RunOnce(MH_SHARED_STRUCTURE* image, const Options& options) {
  const Server server = StartServer(options);
  if (server.port <= 0) {
    std::fprintf(stderr, "serve_bench: the server did not start\n");
    std::exit(1);
  }
  const auto run_time = std::chrono::duration<double>(options.seconds);
  const std::size_t scans = static_cast<std::size_t>(options.seconds * 100) + 1000;
  std::vector<std::atomic<int64_t>> written(scans);
  std::atomic<bool> stop{false};
  std::atomic<int32_t> scan{0};

  std::thread writer([&] {
    auto next = Clock::now();
    for (int32_t n = 1; !stop && static_cast<std::size_t>(n) < scans; ++n) {
      for (int i = 0; i < kDevices; ++i) std::atomic_ref<int32_t>(image->D[i]).store(n, std::memory_order_relaxed);
      written[static_cast<std::size_t>(n)].store(Clock::now().time_since_epoch().count(), std::memory_order_release);
      scan = n;
      next += kScan;
      std::this_thread::sleep_until(next);
    }
  });

  std::mutex mutex;
  std::vector<double> latencies, oldest;
  std::vector<std::thread> clients;
  const std::string path = "/api/events?operands=D0..D" + std::to_string(kDevices - 1);
  for (int c = 0; c < options.clients; ++c) {
    clients.emplace_back([&] {
      httplib::Client client("127.0.0.1", server.port);
      client.set_read_timeout(5);
      std::vector<double> mine, mine_oldest;
      std::string buffer;
      long previous = 0;
      client.Get(path.c_str(), [&](const char* data, size_t length) {
        const auto now = Clock::now().time_since_epoch().count();
        buffer.append(data, length);
        std::size_t end;
        while ((end = buffer.find("\n\n")) != std::string::npos) {
          const char* event = buffer.c_str();
          if (std::strncmp(event, "event: change", 13) == 0) {
            const char* value = std::strstr(event, "\"operand\":\"D0\",\"value\":");
            if (value != nullptr) {
              const long n = std::atol(value + 23);
              if (n > 0 && static_cast<std::size_t>(n) < scans) {
                auto since = [&](long scan_number) {
                  const int64_t at = written[static_cast<std::size_t>(scan_number)].load(std::memory_order_acquire);
                  return std::chrono::duration<double, std::milli>(Clock::duration(now - at)).count();
                };
                mine.push_back(since(n));
                if (previous > 0 && previous < n) mine_oldest.push_back(since(previous + 1));
                previous = n;
              }
            }
          }
          buffer.erase(0, end + 2);
        }
        return !stop;
      });
      std::lock_guard<std::mutex> lock(mutex);
      latencies.insert(latencies.end(), mine.begin(), mine.end());
      oldest.insert(oldest.end(), mine_oldest.begin(), mine_oldest.end());
    });
  }

  // The first second warms up: streams connect and send their first values.
  std::this_thread::sleep_for(std::chrono::seconds(1));
  const double cpu_start = CpuSeconds(server.pid);
  const auto start = Clock::now();
  std::this_thread::sleep_for(run_time);
  const double cpu = CpuSeconds(server.pid) - cpu_start;
  const double wall = std::chrono::duration<double>(Clock::now() - start).count();
  stop = true;
  writer.join();
  for (std::thread& t : clients) t.join();
  kill(server.pid, SIGTERM);
  int status = 0;
  waitpid(server.pid, &status, 0);

  Figures figures;
  figures.cpu_percent = 100.0 * cpu / wall;
  figures.p50_ms = Percentile(latencies, 0.50);
  figures.p99_ms = Percentile(latencies, 0.99);
  figures.oldest_p50_ms = Percentile(oldest, 0.50);
  figures.oldest_p99_ms = Percentile(oldest, 0.99);
  figures.events = latencies.size();
  return figures;
}

using quorsma::bench::Median;

}  // namespace

int main(int argc, char** argv) {
  quorsma::bench::RestartOnOwnSection(argv, "qsma_serve_bench_");
  Options options;
  for (int i = 1; i + 1 < argc; i += 2) {
    const std::string name = argv[i];
    const char* value = argv[i + 1];
    if (name == "--seconds") options.seconds = std::atof(value);
    else if (name == "--clients") options.clients = std::atoi(value);
    else if (name == "--interval") options.interval_ms = std::atoi(value);
    else if (name == "--repetitions") options.repetitions = std::atoi(value);
    else {
      std::fprintf(stderr, "usage: serve_bench [--seconds S] [--clients N] [--interval MS] [--repetitions R]\n");
      return 2;
    }
  }
  MH_SHARED_STRUCTURE* image = nullptr;
  smGetMemoryPointer(&image);
  if (image == nullptr) {
    std::fprintf(stderr, "serve_bench: the section could not be mapped\n");
    return 1;
  }
  std::printf("%d devices changing every 10 ms, %d event-stream clients, updates every %d ms, %.0f s x %d\n", kDevices,
              options.clients, options.interval_ms, options.seconds, options.repetitions);
  std::vector<double> cpu, p50, p99, oldest50, oldest99;
  for (int r = 0; r < options.repetitions; ++r) {
    const Figures f = RunOnce(image, options);
    std::printf("  run %d: server CPU %.1f%% of one core; write to event: latest p50 %.1f ms, p99 %.1f ms; "
                "oldest p50 %.1f ms, p99 %.1f ms (%zu events)\n",
                r + 1, f.cpu_percent, f.p50_ms, f.p99_ms, f.oldest_p50_ms, f.oldest_p99_ms, f.events);
    std::fflush(stdout);
    cpu.push_back(f.cpu_percent);
    p50.push_back(f.p50_ms);
    p99.push_back(f.p99_ms);
    oldest50.push_back(f.oldest_p50_ms);
    oldest99.push_back(f.oldest_p99_ms);
  }
  std::printf("median: server CPU %.1f%% of one core; write to event: latest p50 %.1f ms, p99 %.1f ms; "
              "oldest p50 %.1f ms, p99 %.1f ms\n",
              Median(cpu), Median(p50), Median(p99), Median(oldest50), Median(oldest99));
  return 0;
}
