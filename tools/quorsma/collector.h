// The collector of value-change lines.  The library puts one line at a time
// into LogLine and sets LogLinePending to 1; the collector takes the line,
// then clears the flag so that the library can hand over the next one.
#pragma once

#include <chrono>
#include <cstdint>
#include <string>

#include "quorsma/quorsma.h"

namespace quorsma::tool {

class Collector {
 public:
  explicit Collector(MH_SHARED_STRUCTURE* image) : image_(image) {}

  // Takes the pending line, if there is one: copies it (CP949 bytes, as the
  // library wrote it) and clears LogLinePending.  False when none is pending.
  bool Take(std::string* line);

  // Sets LogEnable to 1 and puts the earlier value back at Restore.
  void EnableLogging();
  void Restore();

 private:
  MH_SHARED_STRUCTURE* image_;
  bool enabled_by_us_ = false;
  int32_t earlier_enable_ = 0;
};

// "2026-12-08 04:36:03.123  " followed by the line: the local time of `when`.
std::string TimestampLine(std::chrono::system_clock::time_point when, const std::string& line);

}  // namespace quorsma::tool
