// Three ways to run the step table of the generated program (kProgramTable):
//
//   TableClient       a client's table-driven loop over the library: a switch
//                     on each step's instruction calls its export with the
//                     step's operand texts, PulseSlot is written before edge
//                     steps and END called once per scan;
//   TableDispatch     the same loop calling an empty function of the
//                     program's own instead of each export: what the loop and
//                     one call a step cost before any instruction works (a
//                     floor, a little low: its calls are direct, without the
//                     PLT, and go to four functions instead of one per
//                     instruction);
//   TableInterpreter  a hand-written interpreter of the same steps over plain
//                     int32 arrays: the same switch, with operands resolved
//                     to cells when it is built and a result stack and a
//                     branch stack of its own.
//
// The two loops differ only in what a step does, so the ratio of their times
// per step is what the library costs a client beyond the interpreting it
// does anyway.
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
  explicit TableClient(MH_SHARED_STRUCTURE* image) : image_(image) {}

  void RunScan() const {
    int32_t* const pulse_slot = &image_->PulseSlot;
    for (const ProgramStep& s : kProgramTable) {
      if (s.slot >= 0) *pulse_slot = s.slot;
      switch (s.op) {
        case Op::LD: ::LD(s.a); break;
        case Op::AND: ::AND(s.a); break;
        case Op::OR: ::OR(s.a); break;
        case Op::ANI: ::ANI(s.a); break;
        case Op::LAD_OUT: ::LAD_OUT(s.a, s.b); break;
        case Op::MPS: ::MPS(); break;
        case Op::MPP: ::MPP(); break;
        case Op::ORB: ::ORB(); break;
        case Op::LD_GT: ::LD_GT(s.a, s.b); break;
        case Op::AND_LT: ::AND_LT(s.a, s.b); break;
        case Op::LAD_PLUS: ::LAD_PLUS(s.a, s.b, s.c); break;
        case Op::LAD_MINUS: ::LAD_MINUS(s.a, s.b, s.c); break;
        case Op::LAD_MULTIPLY: ::LAD_MULTIPLY(s.a, s.b, s.c); break;
        case Op::LADALL_DIVIDE: ::LADALL_DIVIDE(s.a, s.b, s.c); break;
        case Op::LDP: ::LDP(s.a); break;
        case Op::LDF: ::LDF(s.a); break;
        case Op::SET: ::SET(s.a); break;
        case Op::RST: ::RST(s.a); break;
        case Op::INCP: ::INCP(s.a); break;
        case Op::DECP: ::DECP(s.a); break;
        case Op::PLS: ::PLS(s.a, s.b); break;
        case Op::MEP: ::MEP(); break;
      }
    }
    ::END();
  }

 private:
  MH_SHARED_STRUCTURE* image_;
};

// Empty stand-ins of the exports' shapes, which the compiler may neither
// inline nor leave out.
[[gnu::noipa]] inline void NoInstruction() { asm volatile(""); }
[[gnu::noipa]] inline void NoInstruction(const char* a) { asm volatile("" : : "r"(a)); }
[[gnu::noipa]] inline void NoInstruction(const char* a, const char* b) { asm volatile("" : : "r"(a), "r"(b)); }
[[gnu::noipa]] inline void NoInstruction(const char* a, const char* b, const char* c) {
  asm volatile("" : : "r"(a), "r"(b), "r"(c));
}

class TableDispatch {
 public:
  explicit TableDispatch(MH_SHARED_STRUCTURE* image) : image_(image) {}

  void RunScan() const {
    int32_t* const pulse_slot = &image_->PulseSlot;
    for (const ProgramStep& s : kProgramTable) {
      if (s.slot >= 0) *pulse_slot = s.slot;
      switch (s.op) {
        case Op::MPS:
        case Op::MPP:
        case Op::ORB:
        case Op::MEP: NoInstruction(); break;
        case Op::LAD_OUT:
        case Op::LD_GT:
        case Op::AND_LT:
        case Op::PLS: NoInstruction(s.a, s.b); break;
        case Op::LAD_PLUS:
        case Op::LAD_MINUS:
        case Op::LAD_MULTIPLY:
        case Op::LADALL_DIVIDE: NoInstruction(s.a, s.b, s.c); break;
        default: NoInstruction(s.a); break;
      }
    }
    NoInstruction();
  }

 private:
  MH_SHARED_STRUCTURE* image_;
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
