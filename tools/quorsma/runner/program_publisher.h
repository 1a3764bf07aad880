// Publishes the running program for monitors (the browser page of `quorsma
// serve`): the instruction list once at the start, then, while a monitor
// reads them (client.h, qsc_scan_wanted), about ten times a second the result
// of every instruction in the last whole scan with the scan statistics
// (files of client.h, "The running program").
//
// While watched, the scan thread records each scan's results into a buffer
// of its own (ScanRunner::set_results) and, after the scan, copies them to
// the publisher's copy unless the publisher's thread is reading it just then
// (it never waits: that scan is then skipped).  Unwatched, a scan records
// nothing.  The publisher's own thread writes the files and looks for
// monitors, so the scan thread never opens a file.
#pragma once

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "program.h"
#include "scan_runner.h"
#include "scan_stats.h"

namespace quorsma::tool {

inline constexpr auto kPublishScanEvery = std::chrono::milliseconds(100);

class ProgramPublisher {
 public:
  // Publishes `program` and starts the thread; `runner` records into the
  // publisher's buffer from now on.  A file that cannot be written is said
  // once on stderr, and the run goes on without monitors.
  ProgramPublisher(const Program& program, ScanRunner& runner, const ScanStats& stats);
  ~ProgramPublisher() { Stop(); }
  ProgramPublisher(const ProgramPublisher&) = delete;
  ProgramPublisher& operator=(const ProgramPublisher&) = delete;

  // Scan thread, after each scan.
  void AfterScan() {
    ++scans_;
    if (recording_) {
      std::unique_lock<std::mutex> lock(copy_mutex_, std::try_to_lock);
      if (lock.owns_lock()) {
        copy_ = recorded_;
        copy_scan_ = scans_;
      }
    }
    const bool wanted = wanted_.load(std::memory_order_relaxed);
    if (wanted != recording_) {
      recording_ = wanted;
      runner_.set_results(wanted ? recorded_.data() : nullptr);
    }
  }
  // Publishes the last scan once more and ends the thread.
  void Stop();

 private:
  void Work();
  void PublishScan();
  void Warn(const std::string& error);

  ScanRunner& runner_;
  const ScanStats& stats_;
  int64_t run_id_ = 0;
  std::atomic<bool> wanted_{false};  // a monitor reads the scans
  bool recording_ = false;           // the scan thread's
  std::vector<uint8_t> recorded_;  // the scan thread's
  int64_t scans_ = 0;              // the scan thread's
  std::mutex copy_mutex_;
  std::vector<uint8_t> copy_;
  int64_t copy_scan_ = 0;
  int64_t published_scan_ = -1;
  bool warned_ = false;
  std::mutex mutex_;
  std::condition_variable wake_;
  bool stop_ = false;
  std::thread thread_;
};

}  // namespace quorsma::tool
