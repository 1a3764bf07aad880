// Runs a checked program scan after scan through the library's exports, and
// does for it what the library leaves to the program that runs the ladder:
//
//   - PulseSlot: before each edge instruction, the instruction's own slot of
//     the edge memory (one per edge instruction, numbered in program order);
//   - special relays, before each scan: SM400 on and SM401 off always; SM402
//     on in the first scan only; SM403 off in the first scan only, so that an
//     input already on at start is learned without firing an edge; SM411 and
//     SM412 as clocks with periods of 0.2 s and 1 s, off for the first half of
//     each period and on for the second, counted from the first scan;
//   - timers: before each scan, Tcur of every timer of the program whose coil
//     is on is advanced by the time since the previous scan.  Tset holds ten
//     times the program's set value, so a set value of K30 (Tset 300) times
//     out after 3.0 s: Tcur counts in units of 10 ms.  Time is counted in
//     whole 10 ms ticks since the first scan, so no fraction is lost between
//     scans; Tcur stops at Tset.
//
// Then every instruction is called in order and END once at the end.
// Everything is worked out when the runner is built: a scan allocates nothing
// and takes no lock.
#pragma once

#include <cstdint>
#include <vector>

#include "cli/clock.h"
#include "program.h"
#include "quorsma/quorsma.h"

namespace quorsma::tool {

inline constexpr int64_t kTimerTickNs = 10'000'000;  // one unit of Tcur: 10 ms
inline constexpr int64_t kSm411PeriodNs = 200'000'000;
inline constexpr int64_t kSm412PeriodNs = 1'000'000'000;

class ScanRunner {
 public:
  // `program` must outlive the runner.
  ScanRunner(MH_SHARED_STRUCTURE* image, const Program& program, Clock& clock);

  // One scan at the clock's present time: special relays, timers, every
  // instruction, END.
  void RunScan();

  // The runner's own work before the instructions of a scan at time `now_ns`
  // (special relays and timers); RunScan calls it.  Public for benchmarks.
  void Housekeeping(int64_t now_ns);

  int64_t scans() const { return scans_; }

  // Where each scan leaves the result of every instruction (one byte each, in
  // program order: 1 when the result on top of the stack was on after it
  // ran); null (the default) records nothing.  Set before the scans.
  void set_results(uint8_t* results) { results_ = results; }

 private:
  struct Step {
    Signature signature;
    int32_t pulse_slot;
    union {
      InstructionFn0 f0;
      InstructionFn1 f1;
      InstructionFn1R f1r;
      InstructionFn2 f2;
      InstructionFn3 f3;
    } fn;
    const char* a;
    const char* b;
    const char* c;
  };

  // What the next instruction that takes the result would find: the top
  // entry, or the value pushed last when the stack is empty.
  uint8_t TopResult() const {
    const int32_t depth = image_->ResultDepth;
    const int32_t top = depth > 0 && depth <= 100 ? image_->ResultStack[depth - 1] : image_->LastResult;
    return top != 0 ? 1 : 0;
  }

  MH_SHARED_STRUCTURE* image_;
  Clock& clock_;
  std::vector<Step> steps_;
  std::vector<int32_t> timers_;
  uint8_t* results_ = nullptr;
  int64_t scans_ = 0;
  bool started_ = false;
  int64_t start_ns_ = 0;  // time of the first scan
  int64_t ticks_ = 0;  // whole timer ticks counted up to the last scan
};

}  // namespace quorsma::tool
