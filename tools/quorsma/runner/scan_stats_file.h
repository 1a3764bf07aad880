// The runner's statistics, published for monitors in a small text file beside
// the section's lock files (the lock directory of client.h):
//
//   <lock directory>/quorsma.<section>.runner.stats
//
// One "key value" line each, values decimal integers, times in nanoseconds:
//
//   pid 4242                   the runner's process
//   running 1                  0 once it has ended
//   updated_unix_ms 1765300000000  when the file was written (Unix time, ms)
//   period_ns 1000000          0: scans back to back
//   realtime_priority 40       SCHED_FIFO priority; 0: normal scheduling
//   scans 120000
//   scan_min_ns 2100           scan time: minimum, median, maximum
//   scan_median_ns 6750
//   scan_max_ns 48000
//   start_p50_ns 4100          how late a scan started against its schedule:
//   start_p99_ns 21000         median, 99th percentile, maximum
//   start_max_ns 95000
//   overruns 0                 cycles that ran past the next scan's start
//
// The runner rewrites the file whole (a new file renamed over the old) about
// once a second while it runs, and once more when it ends.  Readers take the
// keys they know and skip any others.
#pragma once

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

#include "scan_stats.h"

namespace quorsma::tool {

using StatsFields = std::vector<std::pair<std::string, int64_t>>;

// Its name among the section's published files (WriteSectionFile).
inline constexpr char kScanStatsName[] = "runner.stats";

// The file of the section in use.
std::string ScanStatsPath();

// The fields of the file, in the order above.
StatsFields ScanStatsFields(const ScanStats& stats, int64_t pid, bool running, int64_t updated_unix_ms,
                            int realtime_priority);
std::string FormatStatsFields(const StatsFields& fields);
// The "key value" lines of `text`; lines of any other shape are skipped.
StatsFields ParseStatsFields(const std::string& text);

// Replaces the file whole; false with the reason when it cannot.
bool WriteScanStatsFile(const StatsFields& fields, std::string* error);
// The fields of the file; false when there is none (no runner has run on
// the section since the lock directory was last cleared).
bool ReadScanStatsFile(StatsFields* fields);

}  // namespace quorsma::tool
