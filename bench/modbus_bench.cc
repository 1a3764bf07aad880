// Modbus TCP throughput and latency: reading 125 holding registers over
// loopback from quorsma modbus (the default map over the image) and, in the
// same run, from a bare libmodbus server over a plain array, each a process of
// its own with one thread per connection.  The ratio shows what the image and
// the map cost.
//
//   QUORSMA_SECTION=bench ./build/linux/bench/modbus_bench [--seconds S] [--repetitions N]
//
// Each configuration (server, 1 or 8 clients) runs N times for S seconds;
// the figures are the medians over the repetitions.  This is a program, not a
// test: it is built with the project and run by hand.
#include <modbus/modbus.h>
#include <arpa/inet.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/socket.h>
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

extern char** environ;

namespace {

using Clock = std::chrono::steady_clock;

// --serve-bare: the reference server.  Prints "listening on 127.0.0.1:PORT"
// and answers from one mapping of 65,536 registers until SIGTERM.
std::atomic<bool> g_stop{false};

void ServeBare() {
  signal(SIGTERM, [](int) { g_stop = true; });
  modbus_mapping_t* mapping = modbus_mapping_new(0, 0, 65536, 0);
  for (int i = 0; i < 65536; ++i) mapping->tab_registers[i] = static_cast<uint16_t>(i);
  modbus_t* listener = modbus_new_tcp("127.0.0.1", 0);
  const int listen_fd = modbus_tcp_listen(listener, 16);
  sockaddr_in bound{};
  socklen_t length = sizeof bound;
  getsockname(listen_fd, reinterpret_cast<sockaddr*>(&bound), &length);
  std::printf("listening on 127.0.0.1:%d\n", ntohs(bound.sin_port));
  std::fflush(stdout);
  std::vector<std::thread> threads;
  while (!g_stop) {
    pollfd p{listen_fd, POLLIN, 0};
    if (poll(&p, 1, 200) <= 0) continue;
    const int fd = accept(listen_fd, nullptr, nullptr);
    if (fd < 0) continue;
    const int on = 1;  // as quorsma modbus does
    setsockopt(fd, IPPROTO_TCP, TCP_NODELAY, &on, sizeof on);
    threads.emplace_back([fd, mapping] {
      modbus_t* context = modbus_new_tcp("127.0.0.1", 0);
      modbus_set_socket(context, fd);
      uint8_t request[MODBUS_TCP_MAX_ADU_LENGTH];
      for (;;) {
        const int n = modbus_receive(context, request);
        if (n < 0 || (n > 0 && modbus_reply(context, request, n, mapping) < 0)) break;
      }
      modbus_close(context);
      modbus_free(context);
    });
  }
  for (std::thread& thread : threads) thread.detach();
  std::_Exit(0);
}

using Child = quorsma::bench::ServerChild;
using quorsma::bench::Median;

void StopServer(const Child& child) {
  if (child.pid <= 0) return;
  kill(child.pid, SIGTERM);
  waitpid(child.pid, nullptr, 0);
}

struct Figures {
  double tx_per_second = 0;
  double p50_us = 0;
  double p99_us = 0;
};

// `clients` connections each reading 125 registers back to back for `seconds`.
Figures Measure(int port, int clients, double seconds) {
  std::vector<std::vector<float>> latencies(clients);
  std::atomic<int> errors{0};
  std::atomic<bool> go{false};
  std::vector<std::thread> threads;
  for (int c = 0; c < clients; ++c) {
    threads.emplace_back([&, c] {
      modbus_t* context = modbus_new_tcp("127.0.0.1", port);
      if (modbus_connect(context) != 0) {
        ++errors;
        modbus_free(context);
        return;
      }
      uint16_t registers[125];
      while (!go) std::this_thread::yield();
      const Clock::time_point end = Clock::now() + std::chrono::duration_cast<Clock::duration>(
                                                         std::chrono::duration<double>(seconds));
      for (Clock::time_point start = Clock::now(); start < end;) {
        if (modbus_read_registers(context, 0, 125, registers) != 125) ++errors;
        const Clock::time_point done = Clock::now();
        latencies[c].push_back(std::chrono::duration<float, std::micro>(done - start).count());
        start = done;
      }
      modbus_close(context);
      modbus_free(context);
    });
  }
  go = true;
  for (std::thread& thread : threads) thread.join();
  std::vector<float> all;
  for (const auto& l : latencies) all.insert(all.end(), l.begin(), l.end());
  if (errors > 0) std::fprintf(stderr, "modbus_bench: %d failed transactions\n", errors.load());
  Figures f;
  if (all.empty()) return f;
  std::sort(all.begin(), all.end());
  f.tx_per_second = static_cast<double>(all.size()) / seconds;
  f.p50_us = all[all.size() / 2];
  f.p99_us = all[std::min(all.size() - 1, all.size() * 99 / 100)];
  return f;
}

}  // namespace

int main(int argc, char** argv) {
  double seconds = 2;
  int repetitions = 5;
  for (int i = 1; i < argc; ++i) {
    const std::string arg = argv[i];
    if (arg == "--serve-bare") ServeBare();
    if (arg == "--seconds" && i + 1 < argc) seconds = std::atof(argv[++i]);
    else if (arg == "--repetitions" && i + 1 < argc) repetitions = std::atoi(argv[++i]);
  }
  if (std::getenv("QUORSMA_SECTION") == nullptr) setenv("QUORSMA_SECTION", "quorsma_modbus_bench", 1);
  char self[4096] = {};
  if (readlink("/proc/self/exe", self, sizeof self - 1) <= 0) return 1;
  const Child bare = quorsma::bench::StartServerChild({self, "--serve-bare"});
  const Child ours = quorsma::bench::StartServerChild({QSMA_BENCH_TOOL, "modbus", "--listen", "127.0.0.1:0"});
  if (bare.port == 0 || ours.port == 0) {
    std::fprintf(stderr, "modbus_bench: a server did not start\n");
    StopServer(bare);
    StopServer(ours);
    return 1;
  }
  std::printf("read 125 holding registers over loopback; medians of %d runs of %.1f s\n", repetitions, seconds);
  std::printf("%-16s %7s %10s %8s %8s\n", "server", "clients", "tx/s", "p50 us", "p99 us");
  for (int clients : {1, 8}) {
    // The two servers take turns, so that a change of the machine's load
    // during the run falls on both alike.
    std::vector<double> tx[2], p50[2], p99[2];
    for (int r = 0; r < repetitions; ++r) {
      for (int s = 0; s < 2; ++s) {
        const Figures f = Measure(s == 0 ? bare.port : ours.port, clients, seconds);
        tx[s].push_back(f.tx_per_second);
        p50[s].push_back(f.p50_us);
        p99[s].push_back(f.p99_us);
      }
    }
    for (int s = 0; s < 2; ++s) {
      std::printf("%-16s %7d %10.0f %8.1f %8.1f", s == 0 ? "bare libmodbus" : "quorsma modbus", clients,
                  Median(tx[s]), Median(p50[s]), Median(p99[s]));
      if (s == 1) std::printf("   (%.0f %% of bare)", 100 * Median(tx[1]) / Median(tx[0]));
      std::printf("\n");
    }
  }
  StopServer(bare);
  StopServer(ours);
  return 0;
}
