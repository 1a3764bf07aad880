// What the value-change stress test and the retentive kill test agree on
// with the child program: device ranges, comments and register lines.
#pragma once

#include <string>

namespace quorsma::testing {

// Each producer changes kStressRange devices of each kind.
inline constexpr int kStressRange = 64;
inline constexpr char kStressKinds[] = {'M', 'B', 'L', 'W', 'D'};
// Cell in which each producer counts itself done (an index register no test
// uses).
inline constexpr int kStressDoneCell = 65534;

// Device `r` of a producer: M, B, L and W from 0 on, D inside D300..D1099
// so that every change is saved.
inline int StressIndex(char kind, int producer, int r) {
  return (kind == 'D' ? 300 : 0) + producer * kStressRange + r;
}

// A long comment that names its device, so a line mixed from two lines
// cannot pass for one.
inline std::string StressComment(char kind, int index) {
  std::string comment(1, kind);
  comment.append(std::to_string(index));
  comment.push_back(':');
  comment.append(static_cast<std::size_t>(120 + index % 100), static_cast<char>('a' + index % 26));
  return comment;
}

// Groups that the kill test rewrites over and over.
inline constexpr int kKillGroups[] = {0, 1, 20, 21, 500, 1310, 2000, 2619, 2620};

// The value of register k of a group in generation `gen`.
inline int KillValue(int gen, int k) { return gen * 1000 + k; }

}  // namespace quorsma::testing
