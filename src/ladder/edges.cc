// Edge detection.  The client picks the edge-memory cell by writing PulseSlot
// before each edge instruction; the library only reads it.  A rising edge is
// an input of exactly 1 on a cell holding 0; the edge is reported only while
// SM403 is on, but the cell learns the input either way.
#include "core/areas.h"
#include "device/plain_device.h"
#include "device/read.h"
#include "device/write.h"
#include "ladder/instructions.h"
#include "ladder/result_stack.h"

namespace quorsma::ladder {
namespace {

constexpr int32_t kEdgeEnableRelay = 403;

// The detector for an input level `active` (1 rising, 0 falling).  A
// PulseSlot outside the edge memory has no cell: no edge, nothing written.
int32_t Detect(const Context& c, int32_t input, int32_t active) {
  Image& im = *c.image;
  int32_t slot = LoadRelaxed(im.PulseSlot);
  if (!InArea(slot, CountOf(im.PulseMemory))) return 0;
  int32_t& cell = im.PulseMemory[slot];
  int32_t remembered = cell;
  if (input == active) {
    if (remembered == 0) {
      cell = 1;
      return device::SM(c, kEdgeEnableRelay) != 0 ? 1 : 0;
    }
    if (remembered == 1) return 0;
  }
  cell = 0;
  return 0;
}

}  // namespace

int32_t CheckPulse(const Context& c, int32_t input) { return Detect(c, input, 1); }

int32_t CheckFallPulse(const Context& c, int32_t input) { return Detect(c, input, 0); }

void LDP(const Context& c, const char* operand) { Push(c, CheckPulse(c, device::ReadDevice(c, operand))); }

void LDF(const Context& c, const char* operand) { Push(c, CheckFallPulse(c, device::ReadDevice(c, operand))); }

// The rising-edge contacts skip the detector (and leave its cell alone) when
// the current result already decides the outcome; the falling-edge contacts
// always update theirs.
void ANDP(const Context& c, const char* operand) {
  int32_t x = device::ReadDevice(c, operand);
  ReplaceResult(c, [&](int32_t p) { return p != 0 && CheckPulse(c, x) == 1 ? 1 : 0; });
}

void ANDF(const Context& c, const char* operand) {
  ReplaceResult(c, [&](int32_t p) {
    int32_t edge = CheckFallPulse(c, device::ReadDevice(c, operand));
    return p != 0 && edge == 1 ? 1 : 0;
  });
}

void ORP(const Context& c, const char* operand) {
  ReplaceResult(c, [&](int32_t p) {
    int32_t x = device::ReadDevice(c, operand);
    return p != 0 || CheckPulse(c, x) == 1 ? 1 : 0;
  });
}

void ORF(const Context& c, const char* operand) {
  ReplaceResult(c, [&](int32_t p) {
    int32_t edge = CheckFallPulse(c, device::ReadDevice(c, operand));
    return p != 0 || edge == 1 ? 1 : 0;
  });
}

void MEP(const Context& c) {
  ReplaceResult(c, [&](int32_t p) { return CheckPulse(c, p); });
}

}  // namespace quorsma::ladder
