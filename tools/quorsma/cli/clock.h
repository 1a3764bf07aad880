// Time for the runner: a monotonic clock in nanoseconds that can also wait.
// The steady clock serves the tool; tests drive a FakeClock by hand, so that
// timers and clock relays advance without real time passing.
#pragma once

#include <cstdint>

namespace quorsma::tool {

class Clock {
 public:
  virtual ~Clock() = default;
  virtual int64_t NowNs() = 0;
  // Returns at `deadline_ns` or later.
  virtual void SleepUntilNs(int64_t deadline_ns) = 0;
};

class SteadyClock final : public Clock {
 public:
  int64_t NowNs() override;
  void SleepUntilNs(int64_t deadline_ns) override;
};

// Time moves only when told; a sleep jumps to its deadline.
class FakeClock final : public Clock {
 public:
  int64_t NowNs() override { return now_; }
  void SleepUntilNs(int64_t deadline_ns) override {
    if (deadline_ns > now_) now_ = deadline_ns;
  }
  void AdvanceMs(int64_t ms) { now_ += ms * 1000000; }
  void AdvanceNs(int64_t ns) { now_ += ns; }

 private:
  int64_t now_ = 0;
};

}  // namespace quorsma::tool
