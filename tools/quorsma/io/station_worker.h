// The thread that polls one link: a TCP station, or every RTU station of one
// serial line in turn (a serial line carries one request at a time).  Each
// station keeps its own period; one that fails waits longer before each new
// attempt (its period, at least 100 ms, doubled per failed cycle, up to 5 s
// or its period when that is longer) so that a dead TCP station costs nothing to the others,
// which have threads of their own.
#pragma once

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "image_access.h"
#include "io_config.h"
#include "station_link.h"

namespace quorsma::tool::io {

// Set once to end every worker's loop, waking them from their waits.
class StopSignal {
 public:
  void Stop();
  bool stopped() const { return stopped_.load(); }
  // Waits until `when` or the stop; true when stopped.
  bool WaitUntil(std::chrono::steady_clock::time_point when);

 private:
  std::atomic<bool> stopped_{false};
  std::mutex mutex_;
  std::condition_variable wake_;
};

// What monitors see of a station (read by the program's main thread).
struct StationHealth {
  std::string name;
  std::atomic<int> up{0};
  std::atomic<int64_t> failures{0};  // consecutive failed cycles
  std::atomic<int64_t> cycles{0};    // good cycles
  std::atomic<int64_t> failed_cycles{0};
  std::atomic<int64_t> cycle_us{0};  // the last good cycle's duration
};

using Printer = std::function<void(const std::string&)>;

class StationWorker {
 public:
  StationWorker(std::vector<const Station*> stations, ImageAccess* image, Printer print, bool verbose);
  ~StationWorker();

  // Polls until `stop`.
  void Run(StopSignal* stop);
  // One cycle of every station, printing what it moved; true when all
  // succeeded.
  bool RunOnce();
  // Writes the safe values of the write transfers that state one and turns
  // the health relays off; says what it did.
  void Finish();

  const std::vector<std::unique_ptr<StationHealth>>& health() const { return health_; }

 private:
  struct State {
    const Station* station;
    StationHealth* health;
    std::chrono::steady_clock::time_point due;
    bool reported = false;  // a state line was printed once
    std::vector<std::vector<int32_t>> written;  // per transfer: the values last written (on-change)
  };

  bool Cycle(State& state, bool show);
  bool Transfer1(State& state, const Transfer& transfer, bool show, std::string* error);
  void Failed(State& state, const std::string& error);
  void Succeeded(State& state, std::chrono::steady_clock::duration took);

  std::vector<State> states_;
  std::vector<std::unique_ptr<StationHealth>> health_;
  StationLink link_;
  ImageAccess* image_;
  Printer print_;
  bool verbose_;
  std::vector<int32_t> values_;
};

}  // namespace quorsma::tool::io
