// quorsma io against a bare libmodbus client: 10 TCP stations on loopback,
// each read as 4 blocks of 125 holding registers, cycles back to back.  The
// same stations serve both in the same run: a bare loop (one thread per
// station calling modbus_read_registers) and quorsma io's station workers
// (one thread per station, each block applied to the image through the
// library's device write).  quorsma io runs again beside a dead station (it
// accepts the connection and never answers) to show what it costs the
// others, back to back and at a 10 ms period.
//
//   ./build/linux/bench/tool/io_bench [--seconds S] [--repetitions N]
//
// Each configuration runs N times (default 5) for S seconds (default 2),
// interleaved in turning order; the figures are the medians.  This is a
// program, not a test: it is built with the project and run by hand.
#include <modbus/modbus.h>
#include <arpa/inet.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "bench_support.h"
#include "io/image_access.h"
#include "io/io_config.h"
#include "io/station_worker.h"

namespace {

using Clock = std::chrono::steady_clock;
namespace io = quorsma::tool::io;

constexpr int kStations = 10;
constexpr int kBlocks = 4;
constexpr int kBlock = 125;

// A station answering from a mapping of 500 registers, a thread per
// connection, until the program ends.
int ServeStation(modbus_mapping_t* mapping) {
  modbus_t* listener = modbus_new_tcp("127.0.0.1", 0);
  const int listen_fd = modbus_tcp_listen(listener, 16);
  sockaddr_in bound{};
  socklen_t length = sizeof bound;
  getsockname(listen_fd, reinterpret_cast<sockaddr*>(&bound), &length);
  std::thread([listen_fd, mapping] {
    for (;;) {
      const int fd = accept(listen_fd, nullptr, nullptr);
      if (fd < 0) continue;
      const int on = 1;
      setsockopt(fd, IPPROTO_TCP, TCP_NODELAY, &on, sizeof on);
      std::thread([fd, mapping] {
        modbus_t* context = modbus_new_tcp("127.0.0.1", 0);
        modbus_set_socket(context, fd);
        uint8_t request[MODBUS_TCP_MAX_ADU_LENGTH];
        for (;;) {
          const int n = modbus_receive(context, request);
          if (n < 0 || (n > 0 && modbus_reply(context, request, n, mapping) < 0)) break;
        }
        modbus_close(context);
        modbus_free(context);
      }).detach();
    }
  }).detach();
  return ntohs(bound.sin_port);
}

// A station that takes connections (the system's backlog does) and never
// answers.
int DeadStation() {
  const int fd = socket(AF_INET, SOCK_STREAM, 0);
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof address);
  listen(fd, 64);
  socklen_t length = sizeof address;
  getsockname(fd, reinterpret_cast<sockaddr*>(&address), &length);
  return ntohs(address.sin_port);
}

struct Figures {
  double transfers_per_second = 0;
  double cycle_us = 0;  // per station: seconds / cycles
};

Figures BareLoop(const std::vector<int>& ports, double seconds) {
  std::atomic<long> transfers{0};
  const Clock::time_point end = Clock::now() + std::chrono::duration_cast<Clock::duration>(
                                                   std::chrono::duration<double>(seconds));
  std::vector<std::thread> threads;
  for (int port : ports) {
    threads.emplace_back([port, end, &transfers] {
      modbus_t* context = modbus_new_tcp("127.0.0.1", port);
      if (modbus_connect(context) != 0) return;
      uint16_t registers[kBlock];
      long done = 0;
      while (Clock::now() < end)
        for (int block = 0; block < kBlocks; ++block)
          if (modbus_read_registers(context, block * kBlock, kBlock, registers) == kBlock) ++done;
      transfers += done;
      modbus_close(context);
      modbus_free(context);
    });
  }
  for (std::thread& thread : threads) thread.join();
  const double rate = transfers / seconds;
  return {rate, 1e6 * seconds / (static_cast<double>(transfers) / kBlocks / static_cast<double>(ports.size()))};
}

// quorsma io's workers on `ports` (and a dead station when `dead` is not 0);
// the figures are those of the live stations.
Figures IoWorkers(const std::vector<int>& ports, int dead, int period_ms, double seconds, MH_SHARED_STRUCTURE* image) {
  const std::string period = " period " + std::to_string(period_ms) + "\n";
  std::string text;
  for (std::size_t i = 0; i < ports.size(); ++i) {
    text += "station s" + std::to_string(i) + " tcp 127.0.0.1:" + std::to_string(ports[i]) + " unit 1" + period;
    for (int block = 0; block < kBlocks; ++block)
      text += "read holding-registers " + std::to_string(block * kBlock) + " D" +
              std::to_string(i * kBlocks * kBlock + block * kBlock) + " " + std::to_string(kBlock) + "\n";
  }
  if (dead != 0)
    text += "station dead tcp 127.0.0.1:" + std::to_string(dead) +
            " unit 1 timeout 200 retries 0" + period + "read holding-registers 0 D9000 125\n";
  io::Config config;
  std::vector<std::string> errors;
  if (!io::ParseConfigText(text, "bench", &config, &errors)) {
    std::fprintf(stderr, "%s\n", errors.front().c_str());
    std::exit(1);
  }
  io::ImageAccess access(image);
  std::vector<std::unique_ptr<io::StationWorker>> workers;
  for (const io::Station& station : config.stations)
    workers.push_back(std::make_unique<io::StationWorker>(std::vector<const io::Station*>{&station}, &access,
                                                          [](const std::string&) {}, false));
  io::StopSignal stop;
  std::vector<std::thread> threads;
  for (auto& worker : workers) threads.emplace_back([&stop, w = worker.get()] { w->Run(&stop); });
  std::this_thread::sleep_for(std::chrono::duration<double>(seconds));
  stop.Stop();
  for (std::thread& thread : threads) thread.join();
  long cycles = 0;
  for (std::size_t i = 0; i < ports.size(); ++i) cycles += workers[i]->health().front()->cycles.load();
  return {static_cast<double>(cycles) * kBlocks / seconds,
          1e6 * seconds / (static_cast<double>(cycles) / static_cast<double>(ports.size()))};
}

// What applying a block costs when every value changed: 125 registers
// through the library's device write, in microseconds per block.
double ChangedBlockUs(MH_SHARED_STRUCTURE* image) {
  io::ImageAccess access(image);
  io::Devices devices{"D", 20000, kBlock, false};
  int32_t values[kBlock];
  std::string error;
  constexpr int kRounds = 2000;
  const Clock::time_point start = Clock::now();
  for (int round = 1; round <= kRounds; ++round) {
    for (int i = 0; i < kBlock; ++i) values[i] = round * 1000 + i;
    access.Write(devices, values, &error);
  }
  return std::chrono::duration<double, std::micro>(Clock::now() - start).count() / kRounds;
}

}  // namespace

int main(int argc, char** argv) {
  quorsma::bench::RestartOnOwnSection(argv, "qsma_io_bench_");
  double seconds = 2;
  int repetitions = 5;
  for (int i = 1; i + 1 < argc; i += 2) {
    if (std::strcmp(argv[i], "--seconds") == 0) seconds = std::atof(argv[i + 1]);
    if (std::strcmp(argv[i], "--repetitions") == 0) repetitions = std::atoi(argv[i + 1]);
  }
  MH_SHARED_STRUCTURE* image = nullptr;
  smGetMemoryPointer(&image);
  if (image == nullptr) {
    std::fprintf(stderr, "the section could not be mapped\n");
    return 1;
  }
  modbus_mapping_t* mapping = modbus_mapping_new(0, 0, kBlocks * kBlock, 0);
  for (int i = 0; i < kBlocks * kBlock; ++i) mapping->tab_registers[i] = static_cast<uint16_t>(i);
  std::vector<int> ports;
  for (int i = 0; i < kStations; ++i) ports.push_back(ServeStation(mapping));
  const int dead = DeadStation();

  // Five configurations: the bare loop, quorsma io and quorsma io beside a
  // dead station, back to back; then quorsma io at a 10 ms period without and
  // with the dead station.  Their order turns with each repetition, so that
  // a change in the machine's load falls on each of them alike.
  constexpr int kRuns = 5;
  std::vector<double> rate[kRuns], cycle[kRuns];
  for (int r = 0; r < repetitions; ++r) {
    for (int k = 0; k < kRuns; ++k) {
      const int run = (r + k) % kRuns;
      const Figures f = run == 0   ? BareLoop(ports, seconds)
                        : run == 1 ? IoWorkers(ports, 0, 0, seconds, image)
                        : run == 2 ? IoWorkers(ports, dead, 0, seconds, image)
                        : run == 3 ? IoWorkers(ports, 0, 10, seconds, image)
                                   : IoWorkers(ports, dead, 10, seconds, image);
      rate[run].push_back(f.transfers_per_second);
      cycle[run].push_back(f.cycle_us);
    }
  }
  using quorsma::bench::Median;
  std::printf("%d TCP stations x %d blocks of %d holding registers, %d x %.1f s (medians)\n", kStations, kBlocks,
              kBlock, repetitions, seconds);
  auto line = [&](const char* what, int run, const std::string& note) {
    std::printf("  %-34s %9.0f transfers/s   cycle %7.0f us per station%s\n", what, Median(rate[run]),
                Median(cycle[run]), note.c_str());
  };
  auto change = [&](int with, int without) {
    char text[64];
    std::snprintf(text, sizeof text, "   %+.1f %% (goal < 10 %%)",
                  100.0 * (Median(cycle[with]) - Median(cycle[without])) / Median(cycle[without]));
    return std::string(text);
  };
  char ratio[64];
  std::snprintf(ratio, sizeof ratio, "   %.2fx bare (goal >= 0.9x)", Median(rate[1]) / Median(rate[0]));
  line("bare libmodbus loop, back to back", 0, "");
  line("quorsma io, back to back", 1, ratio);
  line("  + a dead station", 2, change(2, 1));
  line("quorsma io, period 10 ms", 3, "");
  line("  + a dead station", 4, change(4, 3));
  std::printf("  a block of %d registers that all changed, applied to the image: %.1f us\n", kBlock,
              ChangedBlockUs(image));
  std::fflush(stdout);
  std::_Exit(0);  // the stations' threads never end
}
