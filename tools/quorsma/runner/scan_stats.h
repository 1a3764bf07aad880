// Statistics of a run's scans over any number of scans in fixed memory: the
// scan times and, for a run at a fixed period, how late each scan started
// against its schedule and how often a scan overran its period.
//
// Durations go into log-linear histograms whose buckets are at most 1/64
// (1.6 %) wide, with the exact minimum and maximum.  One thread (the scan
// loop) adds; any other thread may read at the same time (the runner's
// publisher): every cell is an atomic that the one writer updates with plain
// relaxed loads and stores, so adding costs what a plain counter costs, and a
// reader sees each cell whole, perhaps a scan behind another.
#pragma once

#include <array>
#include <atomic>
#include <cstdint>
#include <string>

namespace quorsma::tool {

class DurationHistogram {
 public:
  DurationHistogram() = default;
  DurationHistogram(const DurationHistogram& other) { *this = other; }
  DurationHistogram& operator=(const DurationHistogram& other);

  // The writer.  A negative duration counts as 0.
  void Add(int64_t ns);

  int64_t count() const { return count_.load(std::memory_order_relaxed); }
  int64_t min_ns() const { return count() ? min_.load(std::memory_order_relaxed) : 0; }
  int64_t max_ns() const { return max_.load(std::memory_order_relaxed); }
  // The duration that `fraction` (0 < fraction <= 1) of the durations do not
  // exceed (nearest rank: 0.5 gives the lower median): exact below 128 ns and
  // within 1.6 % above (the middle of its bucket, kept within [min, max]).
  // 0 for no durations.
  int64_t percentile_ns(double fraction) const;
  int64_t median_ns() const { return percentile_ns(0.5); }

 private:
  static constexpr int kSubBits = 6;  // 64 buckets per power of two
  static constexpr int kBuckets = (64 - kSubBits) * (1 << kSubBits) + (1 << kSubBits);
  static int Bucket(uint64_t ns);
  static uint64_t BucketLow(int bucket);
  static void Bump(std::atomic<int64_t>& cell) {
    cell.store(cell.load(std::memory_order_relaxed) + 1, std::memory_order_relaxed);
  }

  std::array<std::atomic<int64_t>, kBuckets> histogram_{};
  std::atomic<int64_t> count_{0};
  std::atomic<int64_t> min_{INT64_MAX};
  std::atomic<int64_t> max_{0};
};

class ScanStats {
 public:
  ScanStats() = default;
  ScanStats(const ScanStats& other) { *this = other; }
  ScanStats& operator=(const ScanStats& other);

  // The writer: the time one scan took.
  void Add(int64_t ns) { scan_time_.Add(ns); }
  // The writer, for a run at a fixed period: how late a scan started against
  // its schedule, and a scan whose cycle ran past the next scan's start.
  void AddStart(int64_t late_ns) { start_late_.Add(late_ns); }
  void AddOverrun() { overruns_.store(overruns_.load(std::memory_order_relaxed) + 1, std::memory_order_relaxed); }
  // The period of the run (0: back to back); set before the first scan.
  void set_period_ns(int64_t ns) { period_ns_.store(ns, std::memory_order_relaxed); }

  int64_t count() const { return scan_time_.count(); }
  int64_t min_ns() const { return scan_time_.min_ns(); }
  int64_t max_ns() const { return scan_time_.max_ns(); }
  int64_t median_ns() const { return scan_time_.median_ns(); }
  const DurationHistogram& scan_time() const { return scan_time_; }
  const DurationHistogram& start_late() const { return start_late_; }
  int64_t overruns() const { return overruns_.load(std::memory_order_relaxed); }
  int64_t period_ns() const { return period_ns_.load(std::memory_order_relaxed); }

  // "N scans, scan time min A, median B, max C" with readable units.
  std::string Summary() const;
  // For a run at a fixed period: "period P: start jitter p50 A, p99 B, max C;
  // N overruns"; empty for a run back to back or without scans.
  std::string PeriodSummary() const;

 private:
  DurationHistogram scan_time_;
  DurationHistogram start_late_;
  std::atomic<int64_t> overruns_{0};
  std::atomic<int64_t> period_ns_{0};
};

// 1234 -> "1.23 us" and the like.
std::string FormatDuration(int64_t ns);

}  // namespace quorsma::tool
