// Rungs for the ladder tests: an instruction list written the way a ladder
// program lists it, run step by step through a table of instruction entry
// points (the engine's own, or the library's exported functions).
#pragma once

#include <cstdint>
#include <functional>
#include <initializer_list>
#include <map>
#include <string>
#include <utility>
#include <vector>

#include "core/context.h"
#include "support/test_image.h"

namespace quorsma::testing {

// One program step: a mnemonic and up to three operand texts.  "SLOT n"
// writes PulseSlot (as a client does before an edge instruction) and "PUSH n"
// pushes a number.
struct Step {
  Step(std::string op_, std::string a_ = {}, std::string b_ = {}, std::string c_ = {})
      : op(std::move(op_)), a(std::move(a_)), b(std::move(b_)), c(std::move(c_)) {}
  std::string op;
  std::string a;
  std::string b;
  std::string c;
};
using Rung = std::vector<Step>;

// The entry points a rung runs through.
struct InstructionSet {
  std::map<std::string, std::function<void(const char*)>> unary;
  std::map<std::string, std::function<void(const char*, const char*)>> binary;
  std::map<std::string, std::function<void(const char*, const char*, const char*)>> ternary;
  std::map<std::string, std::function<void()>> nullary;
  std::function<void(int32_t)> push;
};

// The engine's entry points on `context`.
InstructionSet CoreInstructions(const Context& context);

// Runs the steps in order on `image` (PulseSlot is written there).  Fails the
// test on an unknown mnemonic.
void RunRung(const InstructionSet& set, Image* image, const Rung& rung);

// A private image with the engine's entry points.  SM403 (edges enabled) is
// on unless a test turns it off.
class LadderTest : public ImageTest {
 protected:
  LadderTest() { image->SM[403] = 1; }
  void Run(const Rung& rung) { RunRung(set, image.get(), rung); }
  // Pops the current result through the engine.
  int32_t PopResult();
  InstructionSet set = CoreInstructions(context);
};

}  // namespace quorsma::testing
