// The scan loop of the runner: scans back to back or at a fixed period, until
// a number of scans is done or a stop is requested (Ctrl-C), with the time of
// every scan recorded.
#pragma once

#include <cstdint>
#include <functional>

#include "cli/clock.h"
#include "scan_runner.h"
#include "scan_stats.h"

namespace quorsma::tool {

struct LoopOptions {
  int64_t scans = 0;             // 0: until stopped
  int64_t period_ns = 10000000;  // start of one scan to the next; 0: back to back
  int64_t duration_ns = 0;       // > 0: stop once this much time has passed
  // Where the statistics go as the scans run, for another thread to read
  // meanwhile; null: statistics of the loop's own.
  ScanStats* stats = nullptr;
};

// Runs scans; `before_scan` and `after_scan` (either may be empty) run
// around each scan, outside the measured scan time.  The loop ends right
// after the last scan, without waiting out its period.  Returns the
// statistics: the scan times and, at a fixed period, how late each cycle
// started against its schedule and how many overran.
//
// The schedule: the first cycle starts at once, each next one a period after
// the last one's scheduled start.  A cycle that ends after the next one's
// scheduled start is an overrun: the next cycle starts at once and the
// schedule goes on from there, with no burst of scans to catch up.
ScanStats RunLoop(ScanRunner& runner, Clock& clock, const LoopOptions& options,
                  const std::function<void()>& after_scan = {}, const std::function<void()>& before_scan = {});

}  // namespace quorsma::tool
