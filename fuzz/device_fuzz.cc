// Fuzz target for operand resolution and device access: arbitrary operand
// texts and values go to GetIndex, ResolveOP, GetSma, GetValue2Word,
// SmaGetPoint, GetComSma, SmaTGet, SetSma, SmaTSet and SM on a private image,
// and nothing outside the areas an operation may touch is allowed to change.
//
// How an access outside an area is caught:
// - every area is indexed as an array of its own size, so UndefinedBehavior-
//   Sanitizer stops at any subscript outside it, however far;
// - after every operation, guard windows (the first and last cells of each
//   device area, of the timer copies and of the reserved stretches beside
//   them) must be unchanged unless the operation may write that area, so a
//   stray write just past an area's end shows even without a subscript;
// - addresses handed out must lie on an element of the area the operand
//   names, and are then written through;
// - the one-pass short forms of GetSma must agree with its general parser;
// - the image is mapped between inaccessible pages, and operand texts live in
//   buffers of their exact length, so AddressSanitizer sees reads past them.
//
// Input: one flag byte (bit 0: value-change logging on), then records of
// [operation][a: 4 bytes][b: 4 bytes][text length][text].
//
// Run for a bounded time, for example:
//   build/fuzz-device/fuzz/device_fuzz -max_total_time=60 fuzz/seeds/device_fuzz
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
#include "device/general_path.h"
#include "device/operand.h"
#include "device/plain_device.h"
#include "device/read.h"
#include "device/write.h"
#include "support/test_env.h"

namespace {

using quorsma::Context;
using quorsma::Image;

[[noreturn]] void Fail(const char* what, const char* operand) {
  std::fprintf(stderr, "device_fuzz: %s (operand \"%s\")\n", what, operand ? operand : "");
  std::abort();
}

// ---- The image, between inaccessible pages ----

using quorsma::fuzzing::MapGuardedImage;
using quorsma::fuzzing::ZeroRange;

// ---- Areas and guard windows ----

enum Area : uint32_t {
  kZ, kM, kRes0BFFF8, kD, kWrDChk, kS, kSM, kL, kR, kB, kW, kTcur, kX, kY, kRes53, kRes57, kTset, kTcoil,
  kKscratch, kRes63FFBC, kTcurCopy, kRes20D0, kTsetCopy, kRes20E4, kAreaCount
};

constexpr uint32_t Bit(Area a) { return 1u << a; }

struct Window {
  Area area;
  const unsigned char* begin;
  std::size_t size;
};

using AreaSpan = quorsma::fuzzing::Span;
using quorsma::fuzzing::SpanOf;

AreaSpan Span(const Image& image, Area a) {
  switch (a) {
    case kZ: return SpanOf(image.Z);
    case kM: return SpanOf(image.M);
    case kRes0BFFF8: return SpanOf(image.Reserved000BFFF8);
    case kD: return SpanOf(image.D);
    case kWrDChk: return SpanOf(image.WrDChk);
    case kS: return SpanOf(image.S);
    case kSM: return SpanOf(image.SM);
    case kL: return SpanOf(image.L);
    case kR: return SpanOf(image.R);
    case kB: return SpanOf(image.B);
    case kW: return SpanOf(image.W);
    case kTcur: return SpanOf(image.Tcur);
    case kX: return SpanOf(image.X);
    case kY: return SpanOf(image.Y);
    case kRes53: return SpanOf(image.Reserved0053FFC8);
    case kRes57: return SpanOf(image.Reserved0057FFC4);
    case kTset: return SpanOf(image.Tset);
    case kTcoil: return SpanOf(image.Tcoil);
    case kKscratch: return SpanOf(image.Kscratch);
    case kRes63FFBC: return SpanOf(image.Reserved0063FFBC);
    case kTcurCopy: return SpanOf(image.TcurCopy);
    case kRes20D0: return SpanOf(image.Reserved20D0EF80);
    case kTsetCopy: return SpanOf(image.TsetCopy);
    case kRes20E4: return SpanOf(image.Reserved20E4EF6C);
    default: return {nullptr, 0};
  }
}

// The first and last 256 bytes of every area (all of a small one).
constexpr std::size_t kWindowBytes = 256;

std::vector<Window> Windows(const Image& image) {
  std::vector<Window> out;
  for (uint32_t a = 0; a < kAreaCount; ++a) {
    AreaSpan s = Span(image, static_cast<Area>(a));
    if (s.size <= 2 * kWindowBytes) {
      out.push_back({static_cast<Area>(a), s.begin, s.size});
    } else {
      out.push_back({static_cast<Area>(a), s.begin, kWindowBytes});
      out.push_back({static_cast<Area>(a), s.begin + s.size - kWindowBytes, kWindowBytes});
    }
  }
  return out;
}

struct Guard {
  std::vector<Window> windows;
  std::vector<std::vector<unsigned char>> saved;

  explicit Guard(const Image& image) : windows(Windows(image)) {
    for (const Window& w : windows) saved.emplace_back(w.begin, w.begin + w.size);
  }
  void Take() {
    for (std::size_t i = 0; i < windows.size(); ++i) std::memcpy(saved[i].data(), windows[i].begin, windows[i].size);
  }
  // Every window outside `writable` must be as it was; then the new state is
  // taken as the reference.
  void Verify(uint32_t writable, const char* operand) {
    for (std::size_t i = 0; i < windows.size(); ++i) {
      if (writable & Bit(windows[i].area)) continue;
      if (std::memcmp(saved[i].data(), windows[i].begin, windows[i].size) != 0) {
        Fail("a cell outside the areas the operation may write changed", operand);
      }
    }
    Take();
  }
};

// The areas a write by operand text may change, by its first letter.
uint32_t WritableBySetSma(const char* operand) {
  switch (operand[0]) {
    case 'M': return Bit(kM);
    case 'X': return Bit(kX);
    case 'Y': return Bit(kY);
    case 'B': return Bit(kB);
    case 'S': return operand[1] == 'M' ? 0 : Bit(kS);
    case 'L': return Bit(kL);
    case 'Z': return Bit(kZ);
    case 'T': return Bit(kTset) | Bit(kTsetCopy) | Bit(kTcur);
    case 'D': return Bit(kD);
    case 'W': return Bit(kW);
    default: return 0;
  }
}

// The area whose cell SmaGetPoint may return for the operand.
Area PointArea(const char* operand) {
  switch (operand[0]) {
    case 'S': return operand[1] == 'M' ? kSM : kS;
    case 'M': return kM;
    case 'B': return kB;
    case 'W': return kW;
    case 'X': return kX;
    case 'Y': return kY;
    case 'T': return kTcur;
    case 'R': return kR;
    case 'L': return kL;
    case 'D': return kD;
    case 'Z': return kZ;
    case 'K': return kKscratch;
    default: return kAreaCount;
  }
}

// The comment block GetComSma may point into for the operand, or null.
const char (*CommentBlock(const Image& image, const char* operand))[QSMA_COMMENT_BYTES] {
  switch (operand[0]) {
    case 'S': return operand[1] == 'M' ? image.CommentSM : image.CommentS;
    case 'D': return image.CommentD;
    case 'M': return image.CommentM;
    case 'T': return image.CommentT;
    case 'X': return image.CommentX;
    case 'B': return image.CommentB;
    case 'L': return image.CommentL;
    case 'Y': return image.CommentY;
    case 'R': return image.CommentR;
    case 'W': return image.CommentW;
    default: return nullptr;
  }
}

bool Terminated(const char* field, std::size_t size) { return std::memchr(field, '\0', size) != nullptr; }

// ---- The fuzzing state ----

struct State {
  Image* image = MapGuardedImage();
  quorsma::testing::TestEnv env;
  Context context{image, &env};
  std::unique_ptr<Guard> guard;

  State() {
    // Data registers stay out of the retentive file: the fuzzer writes no
    // files.  These flags are kept across inputs.
    for (int32_t& excluded : image->NoLogD) excluded = 1;
    guard = std::make_unique<Guard>(*image);
  }

  // Back to a zero image (but for the data-register exclusions).
  void Reset() {
    ZeroRange(image, image->CommentM);
    ZeroRange(image->LogPrevM, image->NoLogD);
    ZeroRange(image->NoLogS, reinterpret_cast<unsigned char*>(image) + sizeof(Image));
    env.Clear();
    guard->Take();
  }
};

uint32_t Read32(const uint8_t* p) {
  uint32_t v;
  std::memcpy(&v, p, 4);
  return v;
}

void RunOne(State& state, uint8_t operation, int32_t a, int32_t b, const char* operand) {
  namespace dev = quorsma::device;
  const Context& c = state.context;
  Image& image = *state.image;
  uint32_t writable = 0;
  switch (operation % 12) {
    case 0: {
      if (operand[0] == 'T') writable = Bit(kTcurCopy) | Bit(kTsetCopy);
      const int32_t fast = dev::GetSma(c, operand);
      const int32_t general = dev::GetSmaGeneral(c, operand);
      if (fast != general) Fail("GetSma's short form disagrees with its general parser", operand);
      if (dev::ReadDevice(c, operand) != general) Fail("the ladder's read disagrees with the general parser", operand);
      break;
    }
    case 1: dev::GetIndex(c, operand); break;
    case 2: {
      ResolvedOperand record{};
      dev::ResolveOP(c, operand, &record);
      if (!Terminated(record.text, sizeof(record.text)) || !Terminated(record.constText, sizeof(record.constText)) ||
          !Terminated(record.numberText, sizeof(record.numberText)) ||
          !Terminated(record.indexText, sizeof(record.indexText)) || record.device[2] != 0 || record.device[3] != 0) {
        Fail("ResolveOP left a field of the record unterminated", operand);
      }
      break;
    }
    case 3: dev::GetValue2Word(c, operand); break;
    case 4: {
      int32_t* cell = dev::SmaGetPoint(c, operand);
      const Area area = PointArea(operand);
      if (operand[0] == 'K') writable |= Bit(kKscratch);
      if (cell != nullptr) {
        if (area == kAreaCount) Fail("SmaGetPoint returned an address for a device it does not have", operand);
        const AreaSpan span = Span(image, area);
        const auto* p = reinterpret_cast<const unsigned char*>(cell);
        if (p < span.begin || p >= span.begin + span.size || (p - span.begin) % sizeof(int32_t) != 0) {
          Fail("SmaGetPoint returned an address outside the operand's area", operand);
        }
        *cell = b;  // the caller's read-modify-write
        writable |= Bit(area);
      }
      break;
    }
    case 5: {
      char* comment = dev::GetComSma(c, operand);
      if (comment != nullptr) {
        const auto* block = CommentBlock(image, operand);
        if (block == nullptr) Fail("GetComSma returned an address for a device without comments", operand);
        const auto* begin = reinterpret_cast<const char*>(block);
        const std::ptrdiff_t offset = comment - begin;
        if (offset < 0 || offset >= static_cast<std::ptrdiff_t>(sizeof(image.CommentM)) ||
            offset % QSMA_COMMENT_BYTES != 0) {
          Fail("GetComSma returned an address outside the operand's comment block", operand);
        }
        if (strnlen(comment, QSMA_COMMENT_BYTES) == QSMA_COMMENT_BYTES) Fail("unterminated comment", operand);
      }
      break;
    }
    case 6:
      writable = Bit(kTcurCopy) | Bit(kTsetCopy);
      dev::SmaTGet(c, a);
      break;
    case 7:
      writable = WritableBySetSma(operand);
      dev::SetSma(c, operand, b);
      break;
    case 8:
      writable = Bit(kTset) | Bit(kTsetCopy) | Bit(kTcur);
      dev::SmaTSet(c, a, b);
      break;
    case 9: dev::SM(c, a); break;
    // State for the operations above: index registers, relays, registers
    // and timers, at in-range cells picked by `a`.
    case 10:
      writable = Bit(kZ);
      image.Z[static_cast<uint32_t>(a) % 32] = b;
      break;
    default: {
      const uint32_t i = static_cast<uint32_t>(a);
      switch ((i >> 28) & 7) {
        case 0: writable = Bit(kM); image.M[i % QSMA_AREA_LARGE] = b; break;
        case 1: writable = Bit(kD); image.D[i % QSMA_AREA_LARGE] = b; break;
        case 2: writable = Bit(kW); image.W[i % QSMA_AREA_LARGE] = b; break;
        case 3: writable = Bit(kTcur); image.Tcur[i % QSMA_AREA_SMALL] = b; break;
        case 4: writable = Bit(kTset); image.Tset[i % QSMA_AREA_SMALL] = b; break;
        case 5: writable = Bit(kTcoil); image.Tcoil[i % QSMA_AREA_SMALL] = b; break;
        case 6: writable = Bit(kSM); image.SM[i % QSMA_AREA_SMALL] = b; break;
        default: writable = Bit(kM); image.M[QSMA_AREA_LARGE - 1 - i % 64] = b; break;
      }
      break;
    }
  }
  // The mailbox is emptied after every operation, so that logging goes on.
  image.LogLinePending = 0;
  state.guard->Verify(writable, operand);
  state.env.Clear();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, std::size_t size) {
  static State state;
  state.Reset();
  if (size == 0) return 0;
  state.image->LogEnable = data[0] & 1;
  std::size_t pos = 1;
  constexpr std::size_t kHeader = 10;
  while (pos + kHeader <= size) {
    const uint8_t operation = data[pos];
    const auto a = static_cast<int32_t>(Read32(data + pos + 1));
    const auto b = static_cast<int32_t>(Read32(data + pos + 5));
    std::size_t length = data[pos + 9];
    pos += kHeader;
    if (length > size - pos) length = size - pos;
    // The operand in a buffer of its exact length: a read past its end is
    // caught.  Text stops at its first NUL, as a C caller's would.
    auto text = std::make_unique<char[]>(length + 1);
    std::memcpy(text.get(), data + pos, length);
    text[length] = '\0';
    const std::size_t used = std::strlen(text.get());
    std::unique_ptr<char[]> exact = std::make_unique<char[]>(used + 1);
    std::memcpy(exact.get(), text.get(), used + 1);
    pos += length;
    RunOne(state, operation, a, b, exact.get());
  }
  return 0;
}
