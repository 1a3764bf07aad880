// The exports try each frequent instruction's call-free form first and run
// the full form when it declines.  That pair must leave exactly what the full
// form alone leaves, for every operand text, result-stack state and logging
// state, including changes waiting to be logged (which the quick forms must
// leave to the full forms).
#include <gtest/gtest.h>

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <functional>
#include <string>
#include <vector>

#include "ladder/instructions.h"
#include "ladder/quick.h"
#include "support/test_image.h"

namespace quorsma {
namespace {

using testing::TestEnv;
using testing::TestImage;
namespace lad = ladder;
using lad::Form;
using lad::Relation;

std::vector<std::string> Operands() {
  const char* devices[] = {"X", "Y", "M", "D", "T", "K", "S", "Z", "R", "W", "B", "L", "SM", "U", "d"};
  const char* numbers[] = {"0", "7", "1F", "300", "1099", "65534", "65535", "131070", "131071", "1234567890",
                           "", "7Z1", "7.1", "1K"};
  std::vector<std::string> out;
  for (const char* d : devices)
    for (const char* n : numbers) out.push_back(std::string(d) + n);
  return out;
}

// The cells the operands above can reach.
constexpr int32_t kProbed[] = {0, 7, 8, 0x1F, 300, 1099, 65534, 65535, 131070};

void Seed(Image& image, bool logging) {
  image.Z[1] = 1;
  for (int32_t i : kProbed) {
    // Values 0, 1 and others; the last logged values differ from the cells
    // at some numbers, so that a read or write meets a change to log.
    const int32_t v = i % 3;
    image.M[i] = image.L[i] = image.B[i] = image.W[i] = v;
    image.D[i] = i;
    image.LogPrevM[i] = image.LogPrevL[i] = image.LogPrevB[i] = image.LogPrevW[i] = i % 2 ? v : v + 1;
    image.LogPrevD[i] = i % 2 ? i : 0;
    if (i < QSMA_AREA_SMALL) {
      image.X[i] = image.Y[i] = image.S[i] = image.R[i] = v;
      image.Tcoil[i] = i % 2;
      image.Tset[i] = 10;
      image.Tcur[i] = i;
    }
  }
  image.NoLogD[300] = 1;
  image.LogEnable = logging ? 1 : 0;
}

// What an instruction may change, cell by cell: the probed cells of every
// area, the result stack and the mailbox.
std::vector<int32_t> Probe(const Image& image) {
  std::vector<int32_t> out;
  for (int32_t i : kProbed) {
    for (const int32_t* area : {image.M, image.L, image.B, image.W, image.D, image.LogPrevM, image.LogPrevL,
                                image.LogPrevB, image.LogPrevW, image.LogPrevD})
      out.push_back(area[i]);
    if (i < QSMA_AREA_SMALL) {
      for (const int32_t* area : {image.X, image.Y, image.S, image.R, image.Z, image.Tcoil, image.Tset, image.Tcur,
                                  image.TcurCopy, image.TsetCopy})
        out.push_back(area[i]);
    }
  }
  out.push_back(image.ResultDepth);
  out.push_back(image.LastResult);
  out.insert(out.end(), image.ResultStack, image.ResultStack + 100);
  out.push_back(image.LogLinePending);
  return out;
}

// A result-stack state: its depth, its top entry and the last pushed value.
struct StackState {
  int32_t depth;
  int32_t top;
  int32_t last;
};
constexpr StackState kStacks[] = {{0, 0, 1},   {-4, 0, 0},  {INT32_MIN, 0, 1}, {1, 0, 1},        {1, 1, 0},
                                  {2, 5, 1},   {100, 1, 0}, {150, 0, 1},       {INT32_MAX, 1, 0}};

void SetStack(Image& image, const StackState& s) {
  std::memset(image.ResultStack, 0, sizeof image.ResultStack);
  image.ResultDepth = s.depth;
  image.LastResult = s.last;
  if (s.depth > 0) image.ResultStack[s.depth > 100 ? 99 : s.depth - 1] = s.top;
}

// An instruction as the exports run it (the quick form, else the full one)
// and its full form alone.
struct Instruction {
  const char* name;
  std::function<bool(const Context&, const char*)> quick;
  std::function<void(const Context&, const char*)> full;
};

std::vector<Instruction> Instructions() {
  return {
      {"LD", lad::quick::LD, lad::LD},
      {"LDI", lad::quick::LDI, lad::LDI},
      {"AND", lad::quick::AND, lad::AND},
      {"ANI", lad::quick::ANI, lad::ANI},
      {"OR", lad::quick::OR, lad::OR},
      {"ORI", lad::quick::ORI, lad::ORI},
      {"LAD_OUT", [](const Context& c, const char* o) { return lad::quick::OUT(c, o, ""); },
       [](const Context& c, const char* o) { lad::LAD_OUT(c, o, ""); }},
      {"LAD_OUT with a set value", [](const Context& c, const char* o) { return lad::quick::OUT(c, o, "K3"); },
       [](const Context& c, const char* o) { lad::LAD_OUT(c, o, "K3"); }},
      {"SET", [](const Context& c, const char* o) { return lad::quick::Store(c, o, 1); }, lad::SET},
      {"RST", [](const Context& c, const char* o) { return lad::quick::Store(c, o, 0); }, lad::RST},
      // The operand on either side of a comparison, against a constant and
      // against a timer contact (whose read writes the timer's copies).
      {"LD_EQ", [](const Context& c, const char* o) { return lad::quick::Compare<Form::kLoad, Relation::kEq>(c, o, "K1"); },
       [](const Context& c, const char* o) { lad::Compare<Form::kLoad, Relation::kEq>(c, o, "K1"); }},
      {"AND_GT", [](const Context& c, const char* o) { return lad::quick::Compare<Form::kAnd, Relation::kGt>(c, "T7", o); },
       [](const Context& c, const char* o) { lad::Compare<Form::kAnd, Relation::kGt>(c, "T7", o); }},
      {"OR_LTE", [](const Context& c, const char* o) { return lad::quick::Compare<Form::kOr, Relation::kLte>(c, o, "M7"); },
       [](const Context& c, const char* o) { lad::Compare<Form::kOr, Relation::kLte>(c, o, "M7"); }},
  };
}

class QuickFormTest : public ::testing::TestWithParam<bool> {
 protected:
  TestImage quick_image;
  TestImage full_image;
  TestEnv quick_env;
  TestEnv full_env;
  Context quick{quick_image.get(), &quick_env};
  Context full{full_image.get(), &full_env};
};

TEST_P(QuickFormTest, QuickThenFullLeavesWhatTheFullFormLeaves) {
  Seed(*quick_image.get(), GetParam());
  Seed(*full_image.get(), GetParam());
  int taken = 0;
  int declined = 0;
  for (const Instruction& instruction : Instructions()) {
    for (const std::string& operand : Operands()) {
      for (const StackState& stack : kStacks) {
        SetStack(*quick_image.get(), stack);
        SetStack(*full_image.get(), stack);
        const bool done = instruction.quick(quick, operand.c_str());
        if (!done) instruction.full(quick, operand.c_str());
        instruction.full(full, operand.c_str());
        (done ? taken : declined)++;
        ASSERT_EQ(Probe(*quick_image.get()), Probe(*full_image.get()))
            << instruction.name << " " << operand << " on depth " << stack.depth << " top " << stack.top << " last "
            << stack.last << (done ? " (quick form)" : " (full form)");
        ASSERT_STREQ(quick_image->LogLine, full_image->LogLine) << instruction.name << " " << operand;
        quick_image->LogLinePending = full_image->LogLinePending = 0;
      }
    }
  }
  // Both sides over the whole device and log areas, and what they reported.
  EXPECT_EQ(std::memcmp(quick_image.get(), full_image.get(), offsetof(Image, CommentM)), 0);
  const std::size_t log_begin = offsetof(Image, LogPrevM);
  const std::size_t log_end = offsetof(Image, MemParaPath);
  EXPECT_EQ(std::memcmp(reinterpret_cast<const char*>(quick_image.get()) + log_begin,
                        reinterpret_cast<const char*>(full_image.get()) + log_begin, log_end - log_begin),
            0);
  EXPECT_EQ(quick_env.messages, full_env.messages);
  EXPECT_EQ(quick_env.traces, full_env.traces);
  // Both ways were exercised.
  EXPECT_GT(taken, 1000);
  EXPECT_GT(declined, 1000);
}

INSTANTIATE_TEST_SUITE_P(LoggingOffAndOn, QuickFormTest, ::testing::Bool());

}  // namespace
}  // namespace quorsma
