// Writes the ladder program of the scan benchmark: 1,000 rungs of contacts,
// comparisons, outputs, timers, arithmetic and edge instructions, in three
// forms with the same behaviour:
//   RunExported(image)  one call of an exported instruction per program step,
//                       with the PulseSlot write a client makes before each
//                       edge instruction, and END at the end of the scan;
//   RunPlain(p)         the same rungs written as plain C++ on plain arrays;
//   kProgramTable       the program steps as data: the instruction, the edge
//                       slot to write before it (-1: none) and its operand
//                       texts, for clients that run a program from a table.
// The rungs come from a fixed-seed generator, so every build gets the same
// program.  Usage: ladder_gen <output file>
#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

namespace {

constexpr int kRungs = 1000;
constexpr int kInputs = 64;     // X0..X3F, driven by the benchmark
constexpr int kOutputs = 256;   // Y0..YFF
constexpr int kRelays = 1024;   // M0..M1023
constexpr int kRegisters = 200;  // D0..D199 (below the always-saved registers)
constexpr int kTimers = 16;     // T0..T15

class Random {
 public:
  uint32_t Next() {
    state_ ^= state_ << 13;
    state_ ^= state_ >> 17;
    state_ ^= state_ << 5;
    return state_;
  }
  int Below(int n) { return static_cast<int>(Next() % static_cast<uint32_t>(n)); }

 private:
  uint32_t state_ = 2463534242u;
};

std::string Hex(int n) {
  char buffer[16];
  std::snprintf(buffer, sizeof buffer, "%X", n);
  return buffer;
}

std::string Q(const std::string& text) { return "\"" + text + "\""; }

struct Program {
  std::vector<std::string> exported;
  std::vector<std::string> plain;
  std::vector<std::string> table;
  int instructions = 0;
  int edge_slots = 0;
  int pending_slot = -1;  // the slot the next step's table row carries

  // One program step: the export `name` called with `operands`, as a line of
  // straight-line code and as a row of the step table.
  void Call(const std::string& name, const std::vector<std::string>& operands = {}) {
    std::string arguments;
    std::string row = "{Op::" + name + ", " + std::to_string(pending_slot);
    for (std::size_t i = 0; i < 3; ++i) {
      if (i < operands.size()) arguments += (i > 0 ? ", " : "") + Q(operands[i]);
      row += ", " + (i < operands.size() ? Q(operands[i]) : std::string("nullptr"));
    }
    exported.push_back(name + "(" + arguments + ");");
    table.push_back(row + "},");
    pending_slot = -1;
    ++instructions;
  }
  // The client's PulseSlot write before an edge instruction; returns the slot.
  int Slot() {
    exported.push_back("img->PulseSlot = " + std::to_string(edge_slots) + ";");
    pending_slot = edge_slots;
    return edge_slots++;
  }
  void Plain(const std::string& line) { plain.push_back(line); }
};

class Generator {
 public:
  void Rung(Program& p) {
    switch (random_.Below(20)) {
      case 0: case 1: case 2: case 3: case 4: Contacts(p); break;
      case 5: case 6: case 7: Comparison(p); break;
      case 8: case 9: Branch(p); break;
      case 10: case 11: Blocks(p); break;
      case 12: Arithmetic(p); break;
      case 13: Division(p); break;
      case 14: EdgeLatch(p); break;
      case 15: Counter(p); break;
      case 16: Pulse(p); break;
      case 17: RungPulse(p); break;
      case 18: Timer(p); break;
      default: Branch(p); break;
    }
  }

 private:
  int X() { return random_.Below(kInputs); }
  int Y() { return random_.Below(kOutputs); }
  int M() { return random_.Below(kRelays); }
  int D() { return random_.Below(kRegisters - 1); }  // D+1 stays inside

  // LD X, AND M, OR M, ANI X, OUT Y.
  void Contacts(Program& p) {
    int a = X(), b = M(), c = M(), d = X(), y = Y();
    p.Call("LD", {"X" + Hex(a)});
    p.Call("AND", {"M" + std::to_string(b)});
    p.Call("OR", {"M" + std::to_string(c)});
    p.Call("ANI", {"X" + Hex(d)});
    p.Call("LAD_OUT", {"Y" + Hex(y), ""});
    p.Plain("p.Y[" + std::to_string(y) + "] = ((p.X[" + std::to_string(a) + "] & p.M[" + std::to_string(b) +
            "]) | p.M[" + std::to_string(c) + "]) & (p.X[" + std::to_string(d) + "] == 0);");
  }

  // LD_GT D, K; AND_LT D, K; OR M; OUT M.
  void Comparison(Program& p) {
    int n = D(), m = D(), lo = random_.Below(20), hi = 5 + random_.Below(40), x = M(), z = M();
    p.Call("LD_GT", {"D" + std::to_string(n), "K" + std::to_string(lo)});
    p.Call("AND_LT", {"D" + std::to_string(m), "K" + std::to_string(hi)});
    p.Call("OR", {"M" + std::to_string(x)});
    p.Call("LAD_OUT", {"M" + std::to_string(z), ""});
    p.Plain("p.M[" + std::to_string(z) + "] = ((p.D[" + std::to_string(n) + "] > " + std::to_string(lo) +
            ") & (p.D[" + std::to_string(m) + "] < " + std::to_string(hi) + ")) | p.M[" + std::to_string(x) + "];");
  }

  // LD X, MPS, AND M, OUT M, MPP, ANI M, OUT Y.
  void Branch(Program& p) {
    int a = X(), b = M(), c = M(), d = M(), y = Y();
    p.Call("LD", {"X" + Hex(a)});
    p.Call("MPS");
    p.Call("AND", {"M" + std::to_string(b)});
    p.Call("LAD_OUT", {"M" + std::to_string(c), ""});
    p.Call("MPP");
    p.Call("ANI", {"M" + std::to_string(d)});
    p.Call("LAD_OUT", {"Y" + Hex(y), ""});
    p.Plain("{ int32_t b = p.X[" + std::to_string(a) + "]; p.M[" + std::to_string(c) + "] = b & p.M[" +
            std::to_string(b) + "]; p.Y[" + std::to_string(y) + "] = b & (p.M[" + std::to_string(d) + "] == 0); }");
  }

  // LD X, AND M, LD X, AND M, ORB, OUT Y.
  void Blocks(Program& p) {
    int a = X(), b = M(), c = X(), d = M(), y = Y();
    p.Call("LD", {"X" + Hex(a)});
    p.Call("AND", {"M" + std::to_string(b)});
    p.Call("LD", {"X" + Hex(c)});
    p.Call("AND", {"M" + std::to_string(d)});
    p.Call("ORB");
    p.Call("LAD_OUT", {"Y" + Hex(y), ""});
    p.Plain("p.Y[" + std::to_string(y) + "] = (p.X[" + std::to_string(a) + "] & p.M[" + std::to_string(b) +
            "]) | (p.X[" + std::to_string(c) + "] & p.M[" + std::to_string(d) + "]);");
  }

  // LD X, AND M, then one of + - x into a register.
  void Arithmetic(Program& p) {
    int a = X(), b = M(), s = D(), k = 1 + random_.Below(9), d = D();
    static const char* const kNames[] = {"LAD_PLUS", "LAD_MINUS", "LAD_MULTIPLY"};
    static const char* const kPlain[] = {"Add", "Sub", "Mul"};
    int op = random_.Below(3);
    p.Call("LD", {"X" + Hex(a)});
    p.Call("AND", {"M" + std::to_string(b)});
    p.Call(kNames[op], {"D" + std::to_string(s), "K" + std::to_string(k), "D" + std::to_string(d)});
    p.Plain("if (p.X[" + std::to_string(a) + "] & p.M[" + std::to_string(b) + "]) p.D[" + std::to_string(d) +
            "] = " + kPlain[op] + "(p.D[" + std::to_string(s) + "], " + std::to_string(k) + ");");
  }

  // LD X, OR M, LADALL_DIVIDE D, K, D (quotient and remainder).
  void Division(Program& p) {
    int a = X(), b = M(), s = D(), k = 2 + random_.Below(7), d = D();
    p.Call("LD", {"X" + Hex(a)});
    p.Call("OR", {"M" + std::to_string(b)});
    p.Call("LADALL_DIVIDE", {"D" + std::to_string(s), "K" + std::to_string(k), "D" + std::to_string(d)});
    p.Plain("if (p.X[" + std::to_string(a) + "] | p.M[" + std::to_string(b) + "]) { int32_t v = p.D[" +
            std::to_string(s) + "]; p.D[" +
            std::to_string(d) + "] = v / " + std::to_string(k) + "; p.D[" + std::to_string(d + 1) + "] = v % " +
            std::to_string(k) + "; }");
  }

  // LDP X, AND M, SET M; LDF X, RST M.
  void EdgeLatch(Program& p) {
    int a = X(), b = M(), c = M();
    int rise = p.Slot();
    p.Call("LDP", {"X" + Hex(a)});
    p.Call("AND", {"M" + std::to_string(b)});
    p.Call("SET", {"M" + std::to_string(c)});
    int fall = p.Slot();
    p.Call("LDF", {"X" + Hex(a)});
    p.Call("RST", {"M" + std::to_string(c)});
    p.Plain("if (Rise(p, " + std::to_string(rise) + ", p.X[" + std::to_string(a) + "]) & p.M[" + std::to_string(b) +
            "]) p.M[" + std::to_string(c) + "] = 1;");
    p.Plain("if (Fall(p, " + std::to_string(fall) + ", p.X[" + std::to_string(a) + "])) p.M[" + std::to_string(c) +
            "] = 0;");
  }

  // LD X, AND M, INCP D (or DECP).
  void Counter(Program& p) {
    int a = X(), b = M(), d = D();
    bool down = random_.Below(4) == 0;
    p.Call("LD", {"X" + Hex(a)});
    p.Call("AND", {"M" + std::to_string(b)});
    int slot = p.Slot();
    p.Call(down ? "DECP" : "INCP", {"D" + std::to_string(d)});
    p.Plain("if (Rise(p, " + std::to_string(slot) + ", p.X[" + std::to_string(a) + "] & p.M[" + std::to_string(b) +
            "])) p.D[" + std::to_string(d) +
            "] = " + (down ? "Sub" : "Add") + "(p.D[" + std::to_string(d) + "], 1);");
  }

  // LD X, ANI M, PLS M.
  void Pulse(Program& p) {
    int a = X(), b = M(), c = M();
    p.Call("LD", {"X" + Hex(a)});
    p.Call("ANI", {"M" + std::to_string(b)});
    int slot = p.Slot();
    p.Call("PLS", {"M" + std::to_string(c), ""});
    p.Plain("p.M[" + std::to_string(c) + "] = Rise(p, " + std::to_string(slot) + ", p.X[" + std::to_string(a) +
            "] & (p.M[" + std::to_string(b) + "] == 0));");
  }

  // LD X, AND M, MEP, OUT Y.
  void RungPulse(Program& p) {
    int a = X(), b = M(), y = Y();
    p.Call("LD", {"X" + Hex(a)});
    p.Call("AND", {"M" + std::to_string(b)});
    int slot = p.Slot();
    p.Call("MEP");
    p.Call("LAD_OUT", {"Y" + Hex(y), ""});
    p.Plain("p.Y[" + std::to_string(y) + "] = Rise(p, " + std::to_string(slot) + ", p.X[" + std::to_string(a) +
            "] & p.M[" + std::to_string(b) + "]);");
  }

  // A self-resetting timer: LD X, ANI T, OUT T K; LD T, OUT M.
  void Timer(Program& p) {
    int a = X(), t = random_.Below(kTimers), k = 1 + random_.Below(5), z = M();
    std::string timer = "T" + std::to_string(t);
    p.Call("LD", {"X" + Hex(a)});
    p.Call("ANI", {timer});
    p.Call("LAD_OUT", {timer, "K" + std::to_string(k)});
    p.Call("LD", {timer});
    p.Call("LAD_OUT", {"M" + std::to_string(z), ""});
    p.Plain("TimerCoil(p, " + std::to_string(t) + ", p.X[" + std::to_string(a) + "] & (TimerContact(p, " +
            std::to_string(t) + ") == 0), " + std::to_string(k) + ");");
    p.Plain("p.M[" + std::to_string(z) + "] = TimerContact(p, " + std::to_string(t) + ");");
  }

  Random random_;
};

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: %s <output file>\n", argv[0]);
    return 2;
  }
  Program program;
  Generator generator;
  for (int i = 0; i < kRungs; ++i) generator.Rung(program);

  std::FILE* out = std::fopen(argv[1], "w");
  if (out == nullptr) {
    std::perror(argv[1]);
    return 1;
  }
  std::fprintf(out, "// Generated by ladder_gen: %d rungs, %d instructions, %d edge cells.\n", kRungs,
               program.instructions, program.edge_slots);
  std::fprintf(out, "inline constexpr int kProgramRungs = %d;\n", kRungs);
  std::fprintf(out, "inline constexpr int kProgramInstructions = %d;  // END not counted\n", program.instructions);
  std::fprintf(out, "inline constexpr int kProgramEdgeCells = %d;\n", program.edge_slots);
  std::fprintf(out, "inline constexpr int kProgramInputs = %d, kProgramOutputs = %d, kProgramRelays = %d,\n",
               kInputs, kOutputs, kRelays);
  std::fprintf(out, "                     kProgramRegisters = %d, kProgramTimers = %d;\n\n", kRegisters, kTimers);
  std::fprintf(out, "[[gnu::noinline]] void RunExported(MH_SHARED_STRUCTURE* img) {\n");
  for (const std::string& line : program.exported) std::fprintf(out, "  %s\n", line.c_str());
  std::fprintf(out, "  END();\n}\n\n");
  std::fprintf(out, "[[gnu::noinline]] void RunPlain(PlainImage& p) {\n");
  for (const std::string& line : program.plain) std::fprintf(out, "  %s\n", line.c_str());
  std::fprintf(out, "}\n\n");
  std::fprintf(out, "inline constexpr ProgramStep kProgramTable[] = {\n");
  for (const std::string& row : program.table) std::fprintf(out, "  %s\n", row.c_str());
  std::fprintf(out, "};\n");
  bool ok = std::fclose(out) == 0;
  return ok ? 0 : 1;
}
