#include "scan_loop.h"

#include <algorithm>

#include "cli/client_names.h"
#include "cli/terminal.h"

namespace quorsma::tool {
namespace {

constexpr int64_t kStopCheckNs = 50000000;  // 50 ms

}  // namespace

ScanStats RunLoop(ScanRunner& runner, Clock& clock, const LoopOptions& options,
                  const std::function<void()>& after_scan, const std::function<void()>& before_scan) {
  ScanStats own;
  ScanStats& stats = options.stats != nullptr ? *options.stats : own;
  stats.set_period_ns(options.period_ns);
  const int64_t start = clock.NowNs();
  int64_t next = start;  // the scheduled start of the coming cycle
  for (int64_t done = 0; options.scans == 0 || done < options.scans; ++done) {
    if (StopRequested()) break;
    const int64_t cycle = clock.NowNs();
    if (options.duration_ns > 0 && cycle - start >= options.duration_ns) break;
    if (options.period_ns > 0) stats.AddStart(cycle - next);
    if (before_scan) before_scan();
    const int64_t begin = clock.NowNs();
    runner.RunScan();
    stats.Add(clock.NowNs() - begin);
    // A stalled loop stops these, and a service manager watching restarts it.
    ServiceAlive();
    if (after_scan) after_scan();
    if (options.scans > 0 && done + 1 >= options.scans) break;  // no wait after the last scan
    if (options.period_ns > 0) {
      next += options.period_ns;
      const int64_t now = clock.NowNs();
      if (next < now) {  // overran: start again from now, no burst to catch up
        stats.AddOverrun();
        next = now;
      }
      // Wait in slices, so that a stop request is seen even in a long period.
      for (int64_t t = now; t < next && !StopRequested(); t = clock.NowNs()) {
        clock.SleepUntilNs(std::min(next, t + kStopCheckNs));
        ServiceAlive();
      }
    }
  }
  return stats;
}

}  // namespace quorsma::tool
