// Edge detection: CheckPulse, the falling detector and the edge contacts.
#include <gtest/gtest.h>

#include <vector>

#include "ladder/instructions.h"
#include "unit/ladder/rung.h"

namespace quorsma {
namespace {

using testing::LadderTest;
using EdgeTest = LadderTest;

struct Sequence {
  int32_t sm403;
  int32_t initial_cell;
  std::vector<int32_t> inputs;
  std::vector<int32_t> results;
  std::vector<int32_t> cells;  // the cell after each call
};

TEST_F(EdgeTest, RisingDetectorFiresOnlyOnExactlyOne) {
  const Sequence cases[] = {
      {1, 0, {0, 1, 1, 0, 1}, {0, 1, 0, 0, 1}, {0, 1, 1, 0, 1}},
      {0, 0, {1, 1}, {0, 0}, {1, 1}},  // learned without a pulse
      {1, 1, {2, 1}, {0, 1}, {0, 1}},  // a word value clears the cell
      {1, 0, {2, 3, -1}, {0, 0, 0}, {0, 0, 0}},
      {1, 7, {1, 1}, {0, 1}, {0, 1}},  // a cell holding neither 0 nor 1
  };
  for (const Sequence& k : cases) {
    image->SM[403] = k.sm403;
    image->PulseSlot = 17;
    image->PulseMemory[17] = k.initial_cell;
    for (std::size_t i = 0; i < k.inputs.size(); ++i) {
      EXPECT_EQ(ladder::CheckPulse(context, k.inputs[i]), k.results[i]) << "call " << i;
      EXPECT_EQ(image->PulseMemory[17], k.cells[i]) << "call " << i;
    }
  }
}

TEST_F(EdgeTest, FallingDetectorFiresOnTheFirstZero) {
  const Sequence cases[] = {
      {1, 0, {1, 0, 0, 1, 0}, {0, 1, 0, 0, 1}, {0, 1, 1, 0, 1}},
      {1, 0, {0}, {1}, {1}},  // a fresh cell fires at once
      {0, 0, {0, 0}, {0, 0}, {1, 1}},
  };
  for (const Sequence& k : cases) {
    image->SM[403] = k.sm403;
    image->PulseSlot = 3;
    image->PulseMemory[3] = k.initial_cell;
    for (std::size_t i = 0; i < k.inputs.size(); ++i) {
      EXPECT_EQ(ladder::CheckFallPulse(context, k.inputs[i]), k.results[i]) << "call " << i;
      EXPECT_EQ(image->PulseMemory[3], k.cells[i]) << "call " << i;
    }
  }
}

// A slot outside the edge memory gives no edge and writes nothing; the cells
// around the edge memory (the reserved words before it, LastResult after it)
// stay as they were.
TEST_F(EdgeTest, PulseSlotOutsideTheEdgeMemoryTouchesNothing) {
  image->PulseMemory[0] = 0;
  image->PulseMemory[131070] = 0;
  for (int32_t slot : {-1, -9, 131071, 131072, 2147483647, -2147483647 - 1}) {
    image->PulseSlot = slot;
    EXPECT_EQ(ladder::CheckPulse(context, 1), 0) << slot;
    EXPECT_EQ(ladder::CheckFallPulse(context, 0), 0) << slot;
    Run({{"LD", "K1"}, {"MEP"}, {"LDP", "K1"}, {"LDF", "K0"}});
    EXPECT_EQ(PopResult(), 0);
    EXPECT_EQ(PopResult(), 0);
    EXPECT_EQ(PopResult(), 0);
  }
  for (int32_t reserved : image->Reserved21D51B1C) EXPECT_EQ(reserved, 0);
  EXPECT_EQ(image->PulseMemory[0], 0);
  EXPECT_EQ(image->PulseMemory[131070], 0);
  image->PulseSlot = 131070;  // the last cell is usable
  EXPECT_EQ(ladder::CheckPulse(context, 1), 1);
  EXPECT_EQ(image->PulseMemory[131070], 1);
}

TEST_F(EdgeTest, EdgeContactsFollowTheCurrentResult) {
  image->M[1] = 1;
  // ANDP with the result off skips its detector; the cell stays 0, so the
  // next ANDP with the result on fires.
  Run({{"SLOT", "5"}, {"PUSH", "0"}, {"ANDP", "M1"}});
  EXPECT_EQ(PopResult(), 0);
  EXPECT_EQ(image->PulseMemory[5], 0);
  Run({{"PUSH", "1"}, {"ANDP", "M1"}});
  EXPECT_EQ(PopResult(), 1);
  EXPECT_EQ(image->PulseMemory[5], 1);

  // ORP with the result on pushes 1 and leaves its cell alone.
  Run({{"SLOT", "6"}, {"PUSH", "1"}, {"ORP", "M1"}});
  EXPECT_EQ(PopResult(), 1);
  EXPECT_EQ(image->PulseMemory[6], 0);
  Run({{"PUSH", "0"}, {"ORP", "M1"}, {"PUSH", "0"}, {"ORP", "M1"}});
  EXPECT_EQ(PopResult(), 0);
  EXPECT_EQ(PopResult(), 1);

  // The falling contacts always update their cell.
  Run({{"SLOT", "7"}, {"PUSH", "0"}, {"ANDF", "M2"}});
  EXPECT_EQ(PopResult(), 0);
  EXPECT_EQ(image->PulseMemory[7], 1);
  Run({{"SLOT", "8"}, {"PUSH", "1"}, {"ORF", "M2"}});
  EXPECT_EQ(PopResult(), 1);
  EXPECT_EQ(image->PulseMemory[8], 1);
}

// Each series and parallel edge contact over the current result and its
// operand's level, from a cell at 0: what it pushes and what its cell then
// holds.  Every edge contact reads its operand, whatever the current result.
TEST_F(EdgeTest, SeriesAndParallelEdgeContactsCombineResultAndEdge) {
  struct Case {
    const char* op;
    int32_t current, level;
    int32_t pushed, cell;
  };
  const Case cases[] = {
      {"ANDP", 1, 1, 1, 1}, {"ANDP", 3, 1, 1, 1}, {"ANDP", 1, 0, 0, 0}, {"ANDP", 0, 1, 0, 0},
      {"ANDF", 1, 0, 1, 1}, {"ANDF", 1, 1, 0, 0}, {"ANDF", 0, 0, 0, 1},
      {"ORP", 0, 1, 1, 1},  {"ORP", 0, 0, 0, 0},  {"ORP", 2, 1, 1, 0},
      {"ORF", 0, 0, 1, 1},  {"ORF", 0, 1, 0, 0},  {"ORF", 1, 0, 1, 1},
  };
  for (const Case& k : cases) {
    image->M[30] = k.level;
    image->PulseMemory[40] = 0;
    Run({{"END"}, {"SLOT", "40"}, {"PUSH", std::to_string(k.current)}, {k.op, "M30"}});
    EXPECT_EQ(image->ResultDepth, 1) << k.op << " " << k.current << "," << k.level;
    EXPECT_EQ(PopResult(), k.pushed) << k.op << " " << k.current << "," << k.level;
    EXPECT_EQ(image->PulseMemory[40], k.cell) << k.op << " " << k.current << "," << k.level;
  }
  // A text whose read shows a message tells whether the operand was read.
  for (const char* op : {"ANDP", "ANDF", "ORP", "ORF"}) {
    for (const char* current : {"0", "1"}) {
      env.Clear();
      Run({{"END"}, {"PUSH", current}, {op, "D100K"}});
      EXPECT_EQ(env.messages.size(), 1u) << op << " on " << current;
    }
  }
}

TEST_F(EdgeTest, TwoLoadsOnOneSlotShareTheirCell) {
  image->X[0] = 1;
  Run({{"SLOT", "9"}, {"LDP", "X0"}, {"LDP", "X0"}});
  EXPECT_EQ(PopResult(), 0);
  EXPECT_EQ(PopResult(), 1);
}

TEST_F(EdgeTest, MepPulsesOnTheRungResultOfExactlyOne) {
  image->D[0] = 1;
  image->D[1] = 3;
  std::vector<int32_t> ones, threes;
  for (int scan = 0; scan < 3; ++scan) {
    Run({{"SLOT", "20"}, {"LD", "D0"}, {"MEP"}, {"SLOT", "21"}, {"LD", "D1"}, {"MEP"}});
    threes.push_back(PopResult());
    ones.push_back(PopResult());
    Run({{"END"}});
  }
  EXPECT_EQ(ones, (std::vector<int32_t>{1, 0, 0}));
  EXPECT_EQ(threes, (std::vector<int32_t>{0, 0, 0}));
}

}  // namespace
}  // namespace quorsma
