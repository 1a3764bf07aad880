// Two ways to run the step table of the generated program (kProgramTable):
//
//   TableClient       a client's table-driven loop over the library: each
//                     step holds the export to call and its operand texts,
//                     and the loop writes PulseSlot before edge steps and
//                     calls END once per scan, as `quorsma run` does;
//   TableInterpreter  a hand-written interpreter of the same steps over plain
//                     int32 arrays: operands resolved to cells when it is
//                     built, a result stack and a branch stack of its own.
//
// The ratio of the two per step is what the library costs a client beyond
// interpreting the program itself.
#pragma once

#include <cstdint>
#include <cstdlib>
#include <deque>
#include <vector>

#include "ladder_program.h"
#include "quorsma/quorsma.h"

namespace quorsma::bench {

class TableClient {
 public:
  explicit TableClient(MH_SHARED_STRUCTURE* image) : image_(image) {
    for (const ProgramStep& row : kProgramTable) {
      Step s{};
      s.slot = row.slot;
      s.a = row.a;
      s.b = row.b;
      s.c = row.c;
      switch (row.op) {
        case Op::LD: One(s, ::LD); break;
        case Op::AND: One(s, ::AND); break;
        case Op::OR: One(s, ::OR); break;
        case Op::ANI: One(s, ::ANI); break;
        case Op::SET: One(s, ::SET); break;
        case Op::RST: One(s, ::RST); break;
        case Op::INCP: One(s, ::INCP); break;
        case Op::DECP: One(s, ::DECP); break;
        case Op::LDP: OneResult(s, ::LDP); break;
        case Op::LDF: OneResult(s, ::LDF); break;
        case Op::LAD_OUT: Two(s, ::LAD_OUT); break;
        case Op::PLS: Two(s, ::PLS); break;
        case Op::LD_GT: Two(s, ::LD_GT); break;
        case Op::AND_LT: Two(s, ::AND_LT); break;
        case Op::LAD_PLUS: Three(s, ::LAD_PLUS); break;
        case Op::LAD_MINUS: Three(s, ::LAD_MINUS); break;
        case Op::LAD_MULTIPLY: Three(s, ::LAD_MULTIPLY); break;
        case Op::LADALL_DIVIDE: Three(s, ::LADALL_DIVIDE); break;
        case Op::MPS: None(s, ::MPS); break;
        case Op::MPP: None(s, ::MPP); break;
        case Op::ORB: None(s, ::ORB); break;
        case Op::MEP: None(s, ::MEP); break;
      }
      steps_.push_back(s);
    }
  }

  void RunScan() const {
    int32_t* const pulse_slot = &image_->PulseSlot;
    for (const Step& s : steps_) {
      if (s.slot >= 0) *pulse_slot = s.slot;
      switch (s.kind) {
        case Kind::kNone: s.fn.f0(); break;
        case Kind::kOne: s.fn.f1(s.a); break;
        case Kind::kOneResult: s.fn.f1r(s.a); break;
        case Kind::kTwo: s.fn.f2(s.a, s.b); break;
        case Kind::kThree: s.fn.f3(s.a, s.b, s.c); break;
      }
    }
    ::END();
  }

 private:
  enum class Kind : uint8_t { kNone, kOne, kOneResult, kTwo, kThree };
  struct Step {
    Kind kind;
    int32_t slot;
    union {
      void(QSMA_API* f0)(void);
      void(QSMA_API* f1)(const char*);
      int32_t(QSMA_API* f1r)(const char*);
      void(QSMA_API* f2)(const char*, const char*);
      void(QSMA_API* f3)(const char*, const char*, const char*);
    } fn;
    const char* a;
    const char* b;
    const char* c;
  };
  static void None(Step& s, void(QSMA_API* f)(void)) { s.kind = Kind::kNone, s.fn.f0 = f; }
  static void One(Step& s, void(QSMA_API* f)(const char*)) { s.kind = Kind::kOne, s.fn.f1 = f; }
  static void OneResult(Step& s, int32_t(QSMA_API* f)(const char*)) { s.kind = Kind::kOneResult, s.fn.f1r = f; }
  static void Two(Step& s, void(QSMA_API* f)(const char*, const char*)) { s.kind = Kind::kTwo, s.fn.f2 = f; }
  static void Three(Step& s, void(QSMA_API* f)(const char*, const char*, const char*)) {
    s.kind = Kind::kThree, s.fn.f3 = f;
  }

  MH_SHARED_STRUCTURE* image_;
  std::vector<Step> steps_;
};

class TableInterpreter {
 public:
  // Resolves every operand to a cell of `p` (constants to cells of their
  // own); `p` must outlive the interpreter.
  explicit TableInterpreter(PlainImage& p) {
    int depth = 0;
    int branches = 0;
    for (const ProgramStep& row : kProgramTable) {
      Step s{};
      s.op = row.op;
      s.slot = row.slot;
      s.a = Resolve(p, row.a, &s.timer);
      int32_t unused;
      s.b = Resolve(p, row.b, &unused);
      s.c = Resolve(p, row.c, &unused);
      steps_.push_back(s);
      // The stacks are sized for the program: every step's needs checked
      // once here, so the scan itself checks nothing.
      const Effect e = EffectOf(row.op);
      if (depth < e.needs || depth + e.result > kDepth || branches + e.branch < 0 || branches + e.branch > kDepth)
        std::abort();
      depth += e.result;
      branches += e.branch;
    }
  }

  void RunScan(PlainImage& p) const {
    int32_t stack[kDepth];
    int32_t branch[kDepth];
    int sp = 0;
    int bp = 0;
    for (const Step& s : steps_) {
      switch (s.op) {
        case Op::LD: stack[sp++] = Value(p, s); break;
        case Op::AND: stack[sp - 1] = stack[sp - 1] != 0 ? Value(p, s) : 0; break;
        case Op::OR: stack[sp - 1] = stack[sp - 1] != 0 ? 1 : Value(p, s); break;
        case Op::ANI: stack[sp - 1] = stack[sp - 1] == 1 && Value(p, s) == 0 ? 1 : 0; break;
        case Op::LAD_OUT:
          if (s.timer >= 0) {
            TimerCoil(p, s.timer, stack[--sp], *s.b);
          } else {
            *s.a = stack[--sp];
          }
          break;
        case Op::MPS: branch[bp++] = stack[sp - 1]; break;
        case Op::MPP: stack[sp++] = branch[--bp]; break;
        case Op::ORB: {
          const int32_t x = stack[--sp];
          const int32_t y = stack[--sp];
          stack[sp++] = x != 0 || y != 0 ? 1 : 0;
          break;
        }
        case Op::LD_GT: stack[sp++] = *s.a > *s.b ? 1 : 0; break;
        case Op::AND_LT: stack[sp - 1] = stack[sp - 1] != 0 ? (*s.a < *s.b ? 1 : 0) : 0; break;
        case Op::LAD_PLUS:
          if (stack[--sp] != 0) *s.c = Add(*s.a, *s.b);
          break;
        case Op::LAD_MINUS:
          if (stack[--sp] != 0) *s.c = Sub(*s.a, *s.b);
          break;
        case Op::LAD_MULTIPLY:
          if (stack[--sp] != 0) *s.c = Mul(*s.a, *s.b);
          break;
        case Op::LADALL_DIVIDE:
          if (stack[--sp] != 0) {
            const int32_t x = *s.a;
            const int32_t y = *s.b;
            if (y != 0 && !(x == INT32_MIN && y == -1)) {
              s.c[0] = x / y;
              s.c[1] = x % y;
            }
          }
          break;
        case Op::LDP: stack[sp++] = Rise(p, s.slot, Value(p, s)); break;
        case Op::LDF: stack[sp++] = Fall(p, s.slot, Value(p, s)); break;
        case Op::SET:
          if (stack[--sp] != 0) *s.a = 1;
          break;
        case Op::RST:
          if (stack[--sp] != 0) *s.a = 0;
          break;
        case Op::INCP:
          if (Rise(p, s.slot, stack[--sp]) == 1) *s.a = Add(*s.a, 1);
          break;
        case Op::DECP:
          if (Rise(p, s.slot, stack[--sp]) == 1) *s.a = Sub(*s.a, 1);
          break;
        case Op::PLS: *s.a = Rise(p, s.slot, stack[--sp]); break;
        case Op::MEP: stack[sp - 1] = Rise(p, s.slot, stack[sp - 1]); break;
      }
    }
  }

 private:
  static constexpr int kDepth = 16;  // the generated rungs nest far less deeply
  struct Step {
    Op op;
    int32_t slot;
    int32_t timer;  // a timer operand: its number (a is null); else -1
    int32_t* a;
    int32_t* b;
    int32_t* c;
  };

  // What a step does to the stacks: the entries it needs, the change of the
  // result stack's depth and of the branch stack's.
  struct Effect {
    int needs;
    int result;
    int branch;
  };
  static constexpr Effect EffectOf(Op op) {
    switch (op) {
      case Op::LD:
      case Op::LD_GT:
      case Op::LDP:
      case Op::LDF: return {0, 1, 0};
      case Op::AND:
      case Op::OR:
      case Op::ANI:
      case Op::AND_LT:
      case Op::MEP: return {1, 0, 0};
      case Op::MPS: return {1, 0, 1};
      case Op::MPP: return {0, 1, -1};
      case Op::ORB: return {2, -1, 0};
      default: return {1, -1, 0};  // outputs, arithmetic, SET, RST, INCP, DECP, PLS
    }
  }

  static int32_t Value(const PlainImage& p, const Step& s) { return s.a != nullptr ? *s.a : TimerContact(p, s.timer); }

  // The cell an operand text names; a timer gives null and its number.
  int32_t* Resolve(PlainImage& p, const char* text, int32_t* timer) {
    *timer = -1;
    if (text == nullptr || text[0] == '\0') return nullptr;
    const int32_t hex = static_cast<int32_t>(std::strtol(text + 1, nullptr, 16));
    const int32_t dec = static_cast<int32_t>(std::strtol(text + 1, nullptr, 10));
    switch (text[0]) {
      case 'X': return &p.X[hex];
      case 'Y': return &p.Y[hex];
      case 'M': return &p.M[dec];
      case 'D': return &p.D[dec];
      case 'T': *timer = dec; return nullptr;
      case 'K': return &constants_.emplace_back(dec);
      default: std::abort();  // the generator writes no other device
    }
  }

  std::vector<Step> steps_;
  std::deque<int32_t> constants_;
};

}  // namespace quorsma::bench
