// quorsma mqtt end to end: this program changes a device as fast as the
// value-change mailbox takes the lines (the producer), `quorsma mqtt` collects
// them and publishes them to a Mosquitto broker of our own on 127.0.0.1, and a
// subscriber in this program receives them.  Lines per second and the time
// from the producer's write to the subscriber's receipt (p50, p99), for QoS 0
// and 1, and as a Sparkplug B node (--sparkplug, one DDATA of one metric per
// line, QoS 0 as Sparkplug has it).  Unpaced, the producer outruns the broker
// and the times are those of a growing queue; `--rate` paces it to show the
// latency of a given load.
//
//   mqtt_bench [--lines N] [--runs R] [--rate LINES_PER_SECOND]
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
#include <nlohmann/json.hpp>
#include <string>
#include <thread>
#include <vector>

#include "bench_support.h"
#include "mqtt/sparkplug_payload.h"
#include "quorsma/quorsma.h"
#include "tool/mqtt/broker.h"

extern char** environ;

namespace {

using Clock = std::chrono::steady_clock;
using quorsma::tool::mqtt::testing::Broker;
using quorsma::tool::mqtt::testing::Message;
using quorsma::tool::mqtt::testing::Subscriber;

struct Result {
  double lines_per_second = 0, p50_us = 0, p99_us = 0;
  std::size_t received = 0;
};

// The value a message carries: "new" of a change message, or the one
// metric of a DDATA.
int ValueOf(const Message& m, bool sparkplug) {
  if (!sparkplug) return nlohmann::json::parse(m.payload)["new"].get<int>();
  quorsma::tool::mqtt::sparkplug::Payload p;
  std::string error;
  if (!quorsma::tool::mqtt::sparkplug::Decode(m.payload, 10, &p, &error) || p.metrics.size() != 1) return -1;
  return static_cast<int32_t>(p.metrics[0].number);
}

Result Run(const Broker& broker, int qos, bool sparkplug, int lines, double rate) {
  // quorsma mqtt --enable turns logging on.
  MH_SHARED_STRUCTURE* image = quorsma::bench::EmptyMailbox(0x20, 0);
  const std::string topic = sparkplug ? "spBv1.0/B/DDATA/N/W" : "bench/plant/changes";
  Subscriber sub(broker.port(), sparkplug ? "spBv1.0/B/#" : topic);
  const std::string port = "127.0.0.1:" + std::to_string(broker.port()), qos_text = std::to_string(qos);
  std::vector<const char*> argv = {QSMA_BENCH_TOOL, "mqtt", "--broker", port.c_str(), "--topic-prefix", "bench/plant",
                                   "--enable", "--qos", qos_text.c_str()};
  // The lines drive the data; the image sample adds nothing within a run.
  if (sparkplug) argv.insert(argv.end(), {"--sparkplug", "B/N", "--watch", "W20", "--interval", "3600000"});
  argv.push_back(nullptr);
  pid_t tool = 0;
  posix_spawn(&tool, QSMA_BENCH_TOOL, nullptr, nullptr, const_cast<char**>(argv.data()), environ);
  for (int i = 0; i < 500 && std::atomic_ref<int32_t>(image->LogEnable).load() == 0; ++i)
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  std::this_thread::sleep_for(std::chrono::milliseconds(300));  // connected
  // A node publishes data only once born.
  if (sparkplug)
    sub.WaitFor(
        [](const std::vector<Message>& all) {
          return !all.empty() && all.back().topic.find("DBIRTH") != std::string::npos;
        },
        std::chrono::seconds(10));
  std::vector<Clock::time_point> written(static_cast<std::size_t>(lines) + 1);
  const Clock::time_point start = Clock::now();
  for (int n = 1; n <= lines; ++n) {
    if (rate > 0)
      std::this_thread::sleep_until(start + std::chrono::duration_cast<Clock::duration>(
                                                std::chrono::duration<double>(n / rate)));
    while (std::atomic_ref<int32_t>(image->LogLinePending).load() != 0) std::this_thread::yield();
    written[static_cast<std::size_t>(n)] = Clock::now();
    SetSma("W20", n);
  }
  sub.WaitFor([&](const std::vector<Message>& all) {
                return static_cast<std::size_t>(std::count_if(all.begin(), all.end(), [&](const Message& m) {
                         return m.topic == topic;
                       })) >= static_cast<std::size_t>(lines);
              },
              std::chrono::seconds(60));
  kill(tool, SIGTERM);
  int status = 0;
  waitpid(tool, &status, 0);
  Result r;
  std::vector<double> latency;
  Clock::time_point first{}, last{};
  for (const Message& m : sub.On(topic)) {
    const int n = ValueOf(m, sparkplug);
    if (n < 1 || n > lines) continue;
    latency.push_back(std::chrono::duration<double, std::micro>(m.received - written[static_cast<std::size_t>(n)]).count());
    if (first == Clock::time_point{}) first = m.received;
    last = m.received;
  }
  r.received = latency.size();
  if (latency.size() < 2) return r;
  r.lines_per_second = static_cast<double>(latency.size() - 1) / std::chrono::duration<double>(last - first).count();
  std::sort(latency.begin(), latency.end());
  r.p50_us = latency[latency.size() / 2];
  r.p99_us = latency[latency.size() * 99 / 100];
  return r;
}

using quorsma::bench::Median;

}  // namespace

int main(int argc, char** argv) {
  // The tool started below shares this section.
  quorsma::bench::RestartOnOwnSection(argv, "qsma_mqtt_bench_");
  int lines = 20000, runs = 3;
  double pace = 0;
  for (int i = 1; i + 1 < argc; i += 2) {
    if (std::strcmp(argv[i], "--lines") == 0) lines = std::atoi(argv[i + 1]);
    if (std::strcmp(argv[i], "--runs") == 0) runs = std::atoi(argv[i + 1]);
    if (std::strcmp(argv[i], "--rate") == 0) pace = std::atof(argv[i + 1]);
  }
  // The broker's default queue of 1,000 messages per slow subscriber would
  // drop messages of a burst; the measurement wants them all.
  Broker broker("allow_anonymous true\nmax_queued_messages 0\n");
  std::printf("%-10s %-4s %8s %12s %10s %10s\n", "payload", "qos", "lines", "metrics/s", "p50 us", "p99 us");
  struct Mode {
    const char* name;
    int qos;
    bool sparkplug;
  };
  for (const Mode mode : {Mode{"json", 0, false}, Mode{"json", 1, false}, Mode{"sparkplug", 0, true}}) {
    const int qos = mode.qos;
    std::vector<double> rate, p50, p99;
    for (int run = 0; run < runs; ++run) {
      const Result r = Run(broker, qos, mode.sparkplug, lines, pace);
      if (r.received != static_cast<std::size_t>(lines))
        std::printf("  run %d: %zu of %d lines received\n", run, r.received, lines);
      rate.push_back(r.lines_per_second);
      p50.push_back(r.p50_us);
      p99.push_back(r.p99_us);
    }
    std::printf("%-10s %-4d %8d %12.0f %10.1f %10.1f   (medians of %d runs)\n", mode.name, qos, lines, Median(rate),
                Median(p50), Median(p99), runs);
  }
  return 0;
}
