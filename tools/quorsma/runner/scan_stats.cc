#include "scan_stats.h"

#include <algorithm>
#include <bit>
#include <cstdio>

namespace quorsma::tool {

int ScanStats::Bucket(uint64_t ns) {
  constexpr uint64_t kSub = 1u << kSubBits;
  if (ns < 2 * kSub) return static_cast<int>(ns);
  const int exponent = std::bit_width(ns) - 1 - kSubBits;  // >= 1
  return static_cast<int>((exponent + 1) * kSub + ((ns >> exponent) - kSub));
}

uint64_t ScanStats::BucketLow(int bucket) {
  constexpr int kSub = 1 << kSubBits;
  if (bucket < 2 * kSub) return static_cast<uint64_t>(bucket);
  const int exponent = bucket / kSub - 1;
  return (static_cast<uint64_t>(kSub) + static_cast<uint64_t>(bucket % kSub)) << exponent;
}

void ScanStats::Add(int64_t ns) {
  if (ns < 0) ns = 0;
  ++histogram_[static_cast<std::size_t>(Bucket(static_cast<uint64_t>(ns)))];
  ++count_;
  min_ = std::min(min_, ns);
  max_ = std::max(max_, ns);
}

int64_t ScanStats::median_ns() const {
  if (count_ == 0) return 0;
  const int64_t rank = (count_ - 1) / 2;  // the lower median
  int64_t seen = 0;
  for (int b = 0; b < kBuckets; ++b) {
    seen += histogram_[static_cast<std::size_t>(b)];
    if (seen > rank) {
      const uint64_t low = BucketLow(b);
      const uint64_t high = b + 1 < kBuckets ? BucketLow(b + 1) : low;
      const int64_t middle = static_cast<int64_t>(low + (high - low) / 2);
      return std::clamp(middle, min_ns(), max_);
    }
  }
  return max_;
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
  return std::to_string(count_) + (count_ == 1 ? " scan" : " scans") + ", scan time min " +
         FormatDuration(min_ns()) + ", median " + FormatDuration(median_ns()) + ", max " + FormatDuration(max_);
}

}  // namespace quorsma::tool
