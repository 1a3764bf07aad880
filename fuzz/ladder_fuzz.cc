// Fuzz target for the ladder engine: arbitrary instruction sequences with
// arbitrary operand texts, PulseSlot values and evaluation state (stack
// depths, branch counters and SM403 as another process might leave them) run
// on a private image, and nothing outside the image's areas may be touched.
//
// How an access outside an area is caught:
// - every area is indexed as an array of its own size, so UndefinedBehavior-
//   Sanitizer stops at any subscript outside it (the edge memory, the stacks,
//   the branch-point store, the relays of BSFLP, the timer coils);
// - the image lies between inaccessible pages, and operand texts live in
//   buffers of their exact length, so AddressSanitizer sees a read past them;
// - after every instruction the reserved stretches of the image (the first
//   and last bytes of each, all of a small one) must still be zero, and
//   PulseSlot, which only the client writes, must be unchanged;
// - stack depths and branch counters that were inside their ranges before an
//   instruction must be inside them after it.
//
// Input: one flag byte (bit 0: value-change logging on), then records of
// [instruction][PulseSlot: 4 bytes][value: 4 bytes] and three operand texts,
// each [length][text].  An instruction byte with bit 7 clear folds PulseSlot
// to around the edge memory (-4,000 .. 135,999), so that both valid and
// invalid cells come up often.
//
// Run for a bounded time, for example (new inputs go to the scratch corpus
// named first, the seeds are only read):
//   cmake --preset fuzz && cmake --build --preset fuzz --target ladder_fuzz
//   mkdir -p /tmp/ladder-corpus
//   build/fuzz/fuzz/ladder_fuzz -max_total_time=60 -rss_limit_mb=4096 /tmp/ladder-corpus fuzz/seeds/ladder_fuzz
#include <sys/mman.h>
#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <vector>

#include "guarded_image.h"
#include "ladder/instructions.h"
#include "ladder/result_stack.h"
#include "support/test_env.h"

namespace {

using quorsma::Context;
using quorsma::Image;
namespace lad = quorsma::ladder;
using lad::Form;
using lad::Relation;

[[noreturn]] void Fail(const char* what, uint8_t instruction) {
  std::fprintf(stderr, "ladder_fuzz: %s (instruction %u)\n", what, instruction);
  std::abort();
}

using quorsma::fuzzing::MapGuardedImage;
using quorsma::fuzzing::Span;
using quorsma::fuzzing::SpanOf;
using quorsma::fuzzing::ZeroRange;

// Windows over every reserved stretch: the first and last 512 bytes.
std::vector<Span> ReservedWindows(const Image& im) {
  const Span stretches[] = {
      SpanOf(im.Reserved000BFFF8), SpanOf(im.Reserved0053FFC8), SpanOf(im.Reserved0057FFC4),
      SpanOf(im.Reserved0063FFBC), SpanOf(im.Reserved1494C9C0), SpanOf(im.Reserved1E94C4C0),
      SpanOf(im.Reserved2094C3C0), SpanOf(im.Reserved20A4EF98), SpanOf(im.Reserved20B4EF90),
      SpanOf(im.Reserved20D0EF80), SpanOf(im.Reserved20E4EF6C), SpanOf(im.Reserved21911330),
      SpanOf(im.Reserved21911B3C), SpanOf(im.Reserved21D51B1C),
  };
  constexpr std::size_t kWindow = 512;
  std::vector<Span> out;
  for (const Span& s : stretches) {
    if (s.size <= 2 * kWindow) {
      out.push_back(s);
    } else {
      out.push_back({s.begin, kWindow});
      out.push_back({s.begin + s.size - kWindow, kWindow});
    }
  }
  return out;
}

bool AllZero(const Span& s) {
  for (std::size_t i = 0; i < s.size; ++i)
    if (s.begin[i] != 0) return false;
  return true;
}

struct State {
  Image* image = MapGuardedImage();
  quorsma::testing::TestEnv env;
  Context context{image, &env};
  std::vector<Span> reserved = ReservedWindows(*image);

  State() {
    // Data registers stay out of the retentive file: the fuzzer writes no
    // files.  These flags are kept across inputs.
    for (int32_t& excluded : image->NoLogD) excluded = 1;
  }

  // Back to a zero image (but for the data-register exclusions).
  void Reset() {
    ZeroRange(image, image->CommentM);
    ZeroRange(image->LogPrevM, image->NoLogD);
    ZeroRange(image->NoLogS, reinterpret_cast<unsigned char*>(image) + sizeof(Image));
    env.Clear();
  }
};

uint32_t Read32(const uint8_t* p) {
  uint32_t v;
  std::memcpy(&v, p, 4);
  return v;
}

using Text = const char*;

// One instruction of the engine, or a change another process might make.
void Execute(State& state, uint8_t instruction, int32_t value, Text a, Text b, Text d) {
  const Context& c = state.context;
  Image& im = *state.image;
  switch (instruction % 56) {
    case 0: lad::LD(c, a); break;
    case 1: lad::LDI(c, a); break;
    case 2: lad::AND(c, a); break;
    case 3: lad::ANI(c, a); break;
    case 4: lad::OR(c, a); break;
    case 5: lad::ORI(c, a); break;
    case 6: lad::INV(c); break;
    case 7: lad::END(c); break;
    case 8: lad::ANB(c); break;
    case 9: lad::ORB(c); break;
    case 10: lad::MPS(c); break;
    case 11: lad::MRD(c); break;
    case 12: lad::MPP(c); break;
    case 13:
      if (lad::CheckPulse(c, value) > 1 || lad::CheckFallPulse(c, value) > 1) Fail("an edge beyond 1", instruction);
      break;
    case 14: lad::LDP(c, a); break;
    case 15: lad::LDF(c, a); break;
    case 16: lad::ANDP(c, a); break;
    case 17: lad::ANDF(c, a); break;
    case 18: lad::ORP(c, a); break;
    case 19: lad::ORF(c, a); break;
    case 20: lad::MEP(c); break;
    case 21: lad::Compare<Form::kLoad, Relation::kEq>(c, a, b); break;
    case 22: lad::Compare<Form::kLoad, Relation::kNeq>(c, a, b); break;
    case 23: lad::Compare<Form::kLoad, Relation::kLt>(c, a, b); break;
    case 24: lad::Compare<Form::kLoad, Relation::kLte>(c, a, b); break;
    case 25: lad::Compare<Form::kLoad, Relation::kGt>(c, a, b); break;
    case 26: lad::Compare<Form::kLoad, Relation::kGte>(c, a, b); break;
    case 27: lad::Compare<Form::kAnd, Relation::kEq>(c, a, b); break;
    case 28: lad::Compare<Form::kAnd, Relation::kNeq>(c, a, b); break;
    case 29: lad::Compare<Form::kAnd, Relation::kLt>(c, a, b); break;
    case 30: lad::Compare<Form::kAnd, Relation::kLte>(c, a, b); break;
    case 31: lad::Compare<Form::kAnd, Relation::kGt>(c, a, b); break;
    case 32: lad::Compare<Form::kAnd, Relation::kGte>(c, a, b); break;
    case 33: lad::Compare<Form::kOr, Relation::kEq>(c, a, b); break;
    case 34: lad::Compare<Form::kOr, Relation::kNeq>(c, a, b); break;
    case 35: lad::Compare<Form::kOr, Relation::kLt>(c, a, b); break;
    case 36: lad::Compare<Form::kOr, Relation::kLte>(c, a, b); break;
    case 37: lad::Compare<Form::kOr, Relation::kGte>(c, a, b); break;
    case 38: lad::LAD_OUT(c, a, b); break;
    case 39: lad::SET(c, a); break;
    case 40: lad::RST(c, a); break;
    case 41: lad::PLS(c, a, b); break;
    case 42: lad::LAD_PLUS(c, a, b, d); break;
    case 43: lad::LAD_MINUS(c, a, b, d); break;
    case 44: lad::LAD_MULTIPLY(c, a, b, d); break;
    case 45: lad::LADALL_DIVIDE(c, a, b, d); break;
    case 46: lad::INC(c, a); break;
    case 47: lad::INCP(c, a); break;
    case 48: lad::DINCP(c, a); break;
    case 49: lad::DECP(c, a); break;
    case 50: lad::BSFLP(c, a, b); break;
    case 51: lad::Push(c, value); break;
    case 52: lad::Pop(c); break;
    // Evaluation state and devices as another process might leave them.
    case 53: {
      const uint32_t which = static_cast<uint32_t>(value) & 7;
      const int32_t v = static_cast<int32_t>(static_cast<uint32_t>(value) >> 3) - (1 << 27);
      int32_t* targets[] = {&im.ResultDepth, &im.BlockDepth, &im.BranchRow, &im.BranchCol,
                            &im.SM[403],     &im.LastResult, &im.LastBlock, &im.Z[v & 31]};
      *targets[which] = (which < 4 && (v & 1)) ? v % 110 : v;
      break;
    }
    case 54: im.M[static_cast<uint32_t>(value) % QSMA_AREA_LARGE] = static_cast<int32_t>(value) & 3; break;
    default: im.D[static_cast<uint32_t>(value) % QSMA_AREA_LARGE] = value; break;
  }
}

bool InRange(int32_t v, int32_t low, int32_t high) { return v >= low && v <= high; }

// Reads one operand text of the input into a buffer of its exact length.
// Text stops at its first NUL, as a C caller's would.
std::unique_ptr<char[]> TakeText(const uint8_t* data, std::size_t size, std::size_t* pos) {
  std::size_t length = *pos < size ? data[(*pos)++] : 0;
  if (length > size - *pos) length = size - *pos;
  std::size_t used = strnlen(reinterpret_cast<const char*>(data + *pos), length);
  auto text = std::make_unique<char[]>(used + 1);
  std::memcpy(text.get(), data + *pos, used);
  text[used] = '\0';
  *pos += length;
  return text;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, std::size_t size) {
  static State state;
  state.Reset();
  if (size == 0) return 0;
  Image& im = *state.image;
  im.LogEnable = data[0] & 1;
  im.SM[403] = 1;
  std::size_t pos = 1;
  constexpr std::size_t kHeader = 9;
  while (pos + kHeader <= size) {
    const uint8_t instruction = data[pos];
    const uint32_t slot = Read32(data + pos + 1);
    const auto value = static_cast<int32_t>(Read32(data + pos + 5));
    pos += kHeader;
    auto a = TakeText(data, size, &pos);
    auto b = TakeText(data, size, &pos);
    auto d = TakeText(data, size, &pos);

    im.PulseSlot = (instruction & 0x80) ? static_cast<int32_t>(slot) : static_cast<int32_t>(slot % 140000) - 4000;
    const int32_t pulse_slot = im.PulseSlot;
    const bool depths_in_range = InRange(im.ResultDepth, 0, 100) && InRange(im.BlockDepth, 0, 100);
    const bool counters_in_range = InRange(im.BranchRow, 0, 100) && InRange(im.BranchCol, 0, 100);

    Execute(state, instruction, value, a.get(), b.get(), d.get());

    const bool poked = instruction % 56 >= 53;
    if (!poked) {
      if (im.PulseSlot != pulse_slot) Fail("PulseSlot was written", instruction);
      if (depths_in_range && !(InRange(im.ResultDepth, 0, 100) && InRange(im.BlockDepth, 0, 100)))
        Fail("a stack depth left 0..100", instruction);
      if (counters_in_range && !(InRange(im.BranchRow, 0, 100) && InRange(im.BranchCol, 0, 100)))
        Fail("a branch counter left 0..100", instruction);
    }
    for (const Span& window : state.reserved)
      if (!AllZero(window)) Fail("a reserved stretch was written", instruction);
    // The mailbox is emptied after every instruction, so that logging goes on.
    im.LogLinePending = 0;
    state.env.Clear();
  }
  return 0;
}
