// Waiting for the next value-change line without polling.
//
// On Linux the collector sleeps on LogLinePending with the futex system call
// and the library wakes it when it sets the flag (the protocol is in the
// public header, beside QSMA_COLLECTOR_WAITERS_OFFSET).  Where that is not
// available (Windows, or the library's data object cannot be opened) it
// sleeps for a millisecond and looks again.
#pragma once

#include <chrono>
#include <cstdint>

#include "quorsma/quorsma.h"

namespace qsc {

class LineWaiter {
 public:
  explicit LineWaiter(MH_SHARED_STRUCTURE* image);
  ~LineWaiter();
  LineWaiter(const LineWaiter&) = delete;
  LineWaiter& operator=(const LineWaiter&) = delete;

  // Returns once LogLinePending is 1, or after about `timeout` (then maybe
  // without a line), or earlier on a signal.
  void Wait(std::chrono::microseconds timeout);

  // True when Wait sleeps until woken, false when it polls.
  bool event_driven() const { return waiters_ != nullptr; }

 private:
  MH_SHARED_STRUCTURE* image_;
  uint32_t* waiters_ = nullptr;  // the count in the library's data object
  int waits_without_spin_ = 0;   // waits since a spin last found a line
  void* mapping_ = nullptr;
};

}  // namespace qsc
