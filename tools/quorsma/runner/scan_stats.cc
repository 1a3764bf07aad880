#include "scan_stats.h"

#include <algorithm>
#include <bit>
#include <cmath>
#include <cstdio>

namespace quorsma::tool {

int DurationHistogram::Bucket(uint64_t ns) {
  constexpr uint64_t kSub = 1u << kSubBits;
  if (ns < 2 * kSub) return static_cast<int>(ns);
  const int exponent = std::bit_width(ns) - 1 - kSubBits;  // >= 1
  return static_cast<int>((exponent + 1) * kSub + ((ns >> exponent) - kSub));
}

uint64_t DurationHistogram::BucketLow(int bucket) {
  constexpr int kSub = 1 << kSubBits;
  if (bucket < 2 * kSub) return static_cast<uint64_t>(bucket);
  const int exponent = bucket / kSub - 1;
  return (static_cast<uint64_t>(kSub) + static_cast<uint64_t>(bucket % kSub)) << exponent;
}

DurationHistogram& DurationHistogram::operator=(const DurationHistogram& other) {
  for (std::size_t b = 0; b < histogram_.size(); ++b)
    histogram_[b].store(other.histogram_[b].load(std::memory_order_relaxed), std::memory_order_relaxed);
  count_.store(other.count_.load(std::memory_order_relaxed), std::memory_order_relaxed);
  min_.store(other.min_.load(std::memory_order_relaxed), std::memory_order_relaxed);
  max_.store(other.max_.load(std::memory_order_relaxed), std::memory_order_relaxed);
  return *this;
}

void DurationHistogram::Add(int64_t ns) {
  if (ns < 0) ns = 0;
  Bump(histogram_[static_cast<std::size_t>(Bucket(static_cast<uint64_t>(ns)))]);
  if (ns < min_.load(std::memory_order_relaxed)) min_.store(ns, std::memory_order_relaxed);
  if (ns > max_.load(std::memory_order_relaxed)) max_.store(ns, std::memory_order_relaxed);
  Bump(count_);
}

int64_t DurationHistogram::percentile_ns(double fraction) const {
  // The buckets as this reader sees them; their sum, not count_, sets the
  // rank, so a scan added meanwhile cannot leave the rank unreached.
  int64_t total = 0;
  for (const std::atomic<int64_t>& cell : histogram_) total += cell.load(std::memory_order_relaxed);
  if (total == 0) return 0;
  const double wanted = std::ceil(std::clamp(fraction, 0.0, 1.0) * static_cast<double>(total));
  const int64_t rank = std::max<int64_t>(static_cast<int64_t>(wanted), 1) - 1;
  const int64_t low_limit = min_ns();
  const int64_t high_limit = max_ns();
  int64_t seen = 0;
  for (int b = 0; b < kBuckets; ++b) {
    seen += histogram_[static_cast<std::size_t>(b)].load(std::memory_order_relaxed);
    if (seen > rank) {
      const uint64_t low = BucketLow(b);
      const uint64_t high = b + 1 < kBuckets ? BucketLow(b + 1) : low;
      const int64_t middle = static_cast<int64_t>(low + (high - low) / 2);
      return std::clamp(middle, std::min(low_limit, high_limit), high_limit);
    }
  }
  return high_limit;
}

ScanStats& ScanStats::operator=(const ScanStats& other) {
  scan_time_ = other.scan_time_;
  start_late_ = other.start_late_;
  overruns_.store(other.overruns(), std::memory_order_relaxed);
  period_ns_.store(other.period_ns(), std::memory_order_relaxed);
  return *this;
}

std::string FormatDuration(int64_t ns) {
  char text[32];
  if (ns < 1000) {
    std::snprintf(text, sizeof text, "%lld ns", static_cast<long long>(ns));
  } else if (ns < 1000000) {
    std::snprintf(text, sizeof text, "%.2f us", static_cast<double>(ns) / 1e3);
  } else if (ns < 1000000000) {
    std::snprintf(text, sizeof text, "%.2f ms", static_cast<double>(ns) / 1e6);
  } else {
    std::snprintf(text, sizeof text, "%.2f s", static_cast<double>(ns) / 1e9);
  }
  return text;
}

std::string ScanStats::Summary() const {
  const int64_t n = count();
  return std::to_string(n) + (n == 1 ? " scan" : " scans") + ", scan time min " + FormatDuration(min_ns()) +
         ", median " + FormatDuration(median_ns()) + ", max " + FormatDuration(max_ns());
}

std::string ScanStats::PeriodSummary() const {
  if (period_ns() <= 0 || start_late_.count() == 0) return "";
  const int64_t n = overruns();
  return "period " + FormatDuration(period_ns()) + ": start jitter p50 " +
         FormatDuration(start_late_.percentile_ns(0.5)) + ", p99 " + FormatDuration(start_late_.percentile_ns(0.99)) +
         ", max " + FormatDuration(start_late_.max_ns()) + "; " + std::to_string(n) + (n == 1 ? " overrun" : " overruns");
}

}  // namespace quorsma::tool
