#include "io_program.h"

#include <chrono>
#include <cstdio>
#include <map>
#include <memory>
#include <mutex>
#include <thread>

#include "health_file.h"
#include "image_access.h"
#include "process.h"
#include "quorsma/client.h"
#include "station_worker.h"

namespace quorsma::tool::io {
namespace {

std::mutex print_lock;

void Say(const std::string& line) {
  std::lock_guard<std::mutex> hold(print_lock);
  std::fprintf(stdout, "%s\n", line.c_str());
  std::fflush(stdout);
}

int64_t NowUnixMs() {
  return std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::system_clock::now().time_since_epoch())
      .count();
}

// A worker per TCP station; one per serial line for the RTU stations on it.
std::vector<std::unique_ptr<StationWorker>> MakeWorkers(const Config& config, ImageAccess* image, bool verbose) {
  std::vector<std::vector<const Station*>> groups;
  std::map<std::string, std::size_t> lines;
  for (const Station& station : config.stations) {
    if (station.rtu) {
      auto [at, added] = lines.emplace(station.device, groups.size());
      if (added) groups.emplace_back();
      groups[at->second].push_back(&station);
    } else {
      groups.push_back({&station});
    }
  }
  std::vector<std::unique_ptr<StationWorker>> workers;
  for (auto& group : groups) workers.push_back(std::make_unique<StationWorker>(group, image, Say, verbose));
  return workers;
}

void PublishHealth(const std::vector<std::unique_ptr<StationWorker>>& workers, bool running, bool* warned) {
  std::vector<const StationHealth*> stations;
  for (const auto& worker : workers)
    for (const auto& health : worker->health()) stations.push_back(health.get());
  std::string error;
  if (!WriteHealthFile(FormatHealth(stations, OwnProcessId(), running, NowUnixMs()), &error) &&
      !*warned) {
    std::fprintf(stderr, "quorsma: warning: %s; quorsma info shows no station health\n", error.c_str());
    *warned = true;
  }
}

}  // namespace

int RunIo(const Config& config, MH_SHARED_STRUCTURE* image, const IoOptions& options) {
  char reason[512] = "";
  qsc_lock* lock = nullptr;
  if (qsc_lock_acquire("communication", &lock, reason, sizeof reason) != QSC_OK) {
    std::fprintf(stderr, "quorsma: error: %s\n", reason);
    return 1;
  }
  smSethWndComm(static_cast<QSMA_HWND>(OwnProcessId()));
  IgnoreBrokenPipes();

  ImageAccess access(image);
  std::vector<std::unique_ptr<StationWorker>> workers = MakeWorkers(config, &access, options.verbose);
  int exit_code = 0;
  if (options.once) {
    std::vector<std::thread> threads;
    std::vector<char> results(workers.size(), 0);
    for (std::size_t i = 0; i < workers.size(); ++i)
      threads.emplace_back([&, i] { results[i] = workers[i]->RunOnce() ? 1 : 0; });
    for (std::thread& thread : threads) thread.join();
    for (char ok : results)
      if (!ok) exit_code = 1;
  } else {
    StopSignal stop;
    std::vector<std::thread> threads;
    for (auto& worker : workers) threads.emplace_back([&stop, w = worker.get()] { w->Run(&stop); });
    Say("polling " + std::to_string(config.stations.size()) + " station" + (config.stations.size() == 1 ? "" : "s") +
        " on " + std::to_string(workers.size()) + " link" + (workers.size() == 1 ? "" : "s"));
    qsc_service_notify(("READY=1\nSTATUS=polling " + std::to_string(config.stations.size()) + " stations").c_str());
    bool warned = false;
    auto next_publish = std::chrono::steady_clock::now();
    while (!options.stop_requested()) {
      if (std::chrono::steady_clock::now() >= next_publish) {
        PublishHealth(workers, true, &warned);
        next_publish += std::chrono::milliseconds(500);
      }
      qsc_service_alive();
      std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
    qsc_service_notify("STOPPING=1");
    stop.Stop();
    for (std::thread& thread : threads) thread.join();
    // Each link writes its safe values at once: a dead station's connect
    // timeout delays no other.
    threads.clear();
    for (auto& worker : workers) threads.emplace_back([w = worker.get()] { w->Finish(); });
    for (std::thread& thread : threads) thread.join();
    PublishHealth(workers, false, &warned);
    Say("stopped");
  }
  smSethWndComm(0);
  qsc_lock_release(lock);
  return exit_code;
}

}  // namespace quorsma::tool::io
