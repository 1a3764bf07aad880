// Scan-time statistics over any number of scans in fixed memory: exact
// minimum and maximum, and the median from a log-linear histogram whose
// buckets are at most 1/64 (1.6 %) wide.
#pragma once

#include <array>
#include <cstdint>
#include <string>

namespace quorsma::tool {

class ScanStats {
 public:
  void Add(int64_t ns);
  int64_t count() const { return count_; }
  int64_t min_ns() const { return count_ ? min_ : 0; }
  int64_t max_ns() const { return max_; }
  // The median, exact below 128 ns and within 1.6 % above (the middle of its
  // bucket, kept within [min, max]).
  int64_t median_ns() const;
  // "N scans, scan time min A, median B, max C" with readable units.
  std::string Summary() const;

 private:
  static constexpr int kSubBits = 6;  // 64 buckets per power of two
  static constexpr int kBuckets = (64 - kSubBits) * (1 << kSubBits) + (1 << kSubBits);
  static int Bucket(uint64_t ns);
  static uint64_t BucketLow(int bucket);

  std::array<int64_t, kBuckets> histogram_{};
  int64_t count_ = 0;
  int64_t min_ = INT64_MAX;
  int64_t max_ = 0;
};

// 1234 -> "1.23 us" and the like.
std::string FormatDuration(int64_t ns);

}  // namespace quorsma::tool
