// The generated 1,000-rung program of the ladder benchmarks (ladder_gen.cc)
// with what its forms need: the plain devices and helpers of RunPlain, the
// step table's types, and the client's side of a scan (Drive).
#pragma once

#include <cstdint>

#include "quorsma/quorsma.h"

namespace quorsma::bench {

// The devices the plain version of the program works on.
struct PlainImage {
  int32_t X[64];
  int32_t Y[256];
  int32_t M[1024];
  int32_t D[200];
  int32_t Tcur[16];
  int32_t Tset[16];
  int32_t Tcoil[16];
  int32_t edge[4096];
  int32_t SM403;
};

inline int32_t Add(int32_t a, int32_t b) {
  return static_cast<int32_t>(static_cast<uint32_t>(a) + static_cast<uint32_t>(b));
}
inline int32_t Sub(int32_t a, int32_t b) {
  return static_cast<int32_t>(static_cast<uint32_t>(a) - static_cast<uint32_t>(b));
}
inline int32_t Mul(int32_t a, int32_t b) {
  return static_cast<int32_t>(static_cast<uint32_t>(a) * static_cast<uint32_t>(b));
}

inline int32_t Rise(PlainImage& p, int slot, int32_t x) {
  int32_t& m = p.edge[slot];
  if (x == 1) {
    if (m == 0) {
      m = 1;
      return p.SM403 != 0;
    }
    if (m == 1) return 0;
  }
  m = 0;
  return 0;
}

inline int32_t Fall(PlainImage& p, int slot, int32_t x) {
  int32_t& m = p.edge[slot];
  if (x == 0) {
    if (m == 0) {
      m = 1;
      return p.SM403 != 0;
    }
    if (m == 1) return 0;
  }
  m = 0;
  return 0;
}

inline int32_t TimerContact(const PlainImage& p, int t) { return p.Tcoil[t] > 0 && p.Tcur[t] >= p.Tset[t] ? 1 : 0; }

inline void TimerCoil(PlainImage& p, int t, int32_t on, int32_t set_value) {
  p.Tcoil[t] = on;
  int32_t s10 = on ? set_value * 10 : 0;
  if (s10 > 0 && s10 > p.Tcur[t]) {
    p.Tset[t] = s10;
  } else if (s10 == 0) {
    p.Tset[t] = 0;
    p.Tcur[t] = 0;
  }
}

// The instructions the program uses, named as their exports.
enum class Op : uint8_t {
  LD, AND, OR, ANI, LAD_OUT, MPS, MPP, ORB, LD_GT, AND_LT, LAD_PLUS, LAD_MINUS, LAD_MULTIPLY, LADALL_DIVIDE,
  LDP, LDF, SET, RST, INCP, DECP, PLS, MEP,
};

// One row of kProgramTable: the instruction, the edge slot to write to
// PulseSlot before it (-1: none), and its operand texts (null where it takes
// fewer).
struct ProgramStep {
  Op op;
  int32_t slot;
  const char* a;
  const char* b;
  const char* c;
};

#include "ladder_program.inc"

static_assert(sizeof(PlainImage::edge) / sizeof(int32_t) >= kProgramEdgeCells);

// The client's side of a scan: inputs change in a pattern that gives every
// input rising and falling edges, and timers with their coil on advance.
template <typename Image>
void Drive(Image& image, int scan) {
  for (int i = 0; i < kProgramInputs; ++i) image.X[i] = ((scan + i * 3) >> (i & 3)) & 1;
  for (int t = 0; t < kProgramTimers; ++t)
    if (image.Tcoil[t] > 0) image.Tcur[t] += 10;
}

}  // namespace quorsma::bench
