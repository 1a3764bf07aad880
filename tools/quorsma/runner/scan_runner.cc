#include "scan_runner.h"

namespace quorsma::tool {

ScanRunner::ScanRunner(MH_SHARED_STRUCTURE* image, const Program& program, Clock& clock)
    : image_(image), clock_(clock), timers_(program.timers) {
  steps_.reserve(program.instructions.size());
  for (const Instruction& in : program.instructions) {
    Step step{};
    step.signature = in.info->signature;
    step.pulse_slot = in.pulse_slot;
    step.a = in.operands[0].c_str();
    step.b = in.operands[1].c_str();
    step.c = in.operands[2].c_str();
    switch (in.info->signature) {
      case Signature::kNone: step.fn.f0 = in.info->fn0; break;
      case Signature::kOne: step.fn.f1 = in.info->fn1; break;
      case Signature::kOneResult: step.fn.f1r = in.info->fn1r; break;
      case Signature::kTwo: step.fn.f2 = in.info->fn2; break;
      case Signature::kThree: step.fn.f3 = in.info->fn3; break;
    }
    steps_.push_back(step);
  }
}

void ScanRunner::Housekeeping(int64_t now_ns) {
  const bool first = scans_ == 0;
  if (!started_) {
    started_ = true;
    start_ns_ = now_ns;
    ticks_ = 0;
  }
  const int64_t elapsed = now_ns - start_ns_;
  int32_t* sm = image_->SM;
  sm[400] = 1;
  sm[401] = 0;
  sm[402] = first ? 1 : 0;
  sm[403] = first ? 0 : 1;
  sm[411] = (elapsed % kSm411PeriodNs) >= kSm411PeriodNs / 2 ? 1 : 0;
  sm[412] = (elapsed % kSm412PeriodNs) >= kSm412PeriodNs / 2 ? 1 : 0;

  const int64_t ticks = elapsed / kTimerTickNs;
  int64_t delta = ticks - ticks_;
  ticks_ = ticks;
  if (delta <= 0) return;
  if (delta > INT32_MAX) delta = INT32_MAX;
  const int32_t step = static_cast<int32_t>(delta);
  for (int32_t t : timers_) {
    if (image_->Tcoil[t] <= 0) continue;
    const int32_t set = image_->Tset[t];
    const int32_t current = image_->Tcur[t];
    if (current >= set) continue;
    image_->Tcur[t] = set - current <= step ? set : current + step;
  }
}

void ScanRunner::RunScan() {
  Housekeeping(clock_.NowNs());
  int32_t* const pulse_slot = &image_->PulseSlot;
  uint8_t* result = results_;
  for (const Step& s : steps_) {
    if (s.pulse_slot >= 0) *pulse_slot = s.pulse_slot;
    switch (s.signature) {
      case Signature::kNone: s.fn.f0(); break;
      case Signature::kOne: s.fn.f1(s.a); break;
      case Signature::kOneResult: s.fn.f1r(s.a); break;
      case Signature::kTwo: s.fn.f2(s.a, s.b); break;
      case Signature::kThree: s.fn.f3(s.a, s.b, s.c); break;
    }
    if (result != nullptr) *result++ = TopResult();
  }
  END();
  ++scans_;
}

}  // namespace quorsma::tool
