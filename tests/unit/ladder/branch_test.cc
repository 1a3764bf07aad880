// Blocks (ANB, ORB) and branch points (MPS, MRD, MPP).
#include <gtest/gtest.h>

#include "ladder/instructions.h"
#include "ladder/result_stack.h"
#include "unit/ladder/rung.h"

namespace quorsma {
namespace {

using testing::LadderTest;
using BranchTest = LadderTest;

TEST_F(BranchTest, MrdReadsTheBranchPointBack) {
  Run({{"PUSH", "1"}, {"MPS"}, {"MRD"}});
  EXPECT_EQ(PopResult(), 1);
  EXPECT_EQ(image->BranchRow, 1);
  EXPECT_EQ(image->BranchCol, 1);
  EXPECT_EQ(image->BranchStack[0][0], 1);
  EXPECT_EQ(image->BlockDepth, 1);
}

TEST_F(BranchTest, NestedBranchPointsLieOnTheDiagonal) {
  Run({{"PUSH", "11"}, {"MPS"}, {"PUSH", "22"}, {"MPS"}, {"PUSH", "33"}, {"MPS"}});
  EXPECT_EQ(image->BranchStack[0][0], 11);
  EXPECT_EQ(image->BranchStack[1][1], 22);
  EXPECT_EQ(image->BranchStack[2][2], 33);
  EXPECT_EQ(image->BranchStack[0][1], 0);
  Run({{"MRD"}});
  EXPECT_EQ(PopResult(), 33);
  for (int32_t expected : {33, 22, 11}) {
    Run({{"MPP"}});
    EXPECT_EQ(PopResult(), expected);
  }
  EXPECT_EQ(image->BranchRow, 0);
  EXPECT_EQ(image->BranchCol, 0);
  EXPECT_EQ(image->BlockDepth, 0);
}

TEST_F(BranchTest, NoOpenBranchPointPushesZero) {
  Run({{"MRD"}});
  EXPECT_EQ(PopResult(), 0);
  Run({{"PUSH", "1"}, {"MPS"}, {"MPP"}, {"MRD"}});
  EXPECT_EQ(PopResult(), 0);
  // MPP without MPS keeps the counters at 0, so the next MPS uses [0][0].
  Run({{"MPP"}, {"MPP"}});
  EXPECT_EQ(PopResult(), 0);
  EXPECT_EQ(image->BranchRow, 0);
  EXPECT_EQ(image->BranchCol, 0);
  Run({{"PUSH", "5"}, {"MPS"}});
  EXPECT_EQ(image->BranchStack[0][0], 5);
  EXPECT_EQ(image->BranchRow, 1);
}

TEST_F(BranchTest, MpsTakesTheUpperEntryOnly) {
  Run({{"PUSH", "3"}, {"PUSH", "4"}, {"MPS"}});
  EXPECT_EQ(image->BranchStack[0][0], 4);
  EXPECT_EQ(PopResult(), 3);
}

TEST_F(BranchTest, EndKeepsOpenBranchCounters) {
  Run({{"PUSH", "1"}, {"MPS"}, {"END"}});
  EXPECT_EQ(image->BranchRow, 1);
  EXPECT_EQ(image->BranchCol, 1);
  EXPECT_EQ(image->BranchStack[0][0], 0);
}

// Beyond 8 open branch points nothing is stored, the nesting is still
// counted, and the branches without a cell read 0.
TEST_F(BranchTest, DeepNestingStaysInsideTheStore) {
  for (int32_t v = 1; v <= 10; ++v) Run({{"PUSH", std::to_string(v)}, {"MPS"}});
  EXPECT_EQ(image->BranchRow, 10);
  EXPECT_EQ(image->BranchCol, 10);
  for (int32_t i = 0; i < 8; ++i) EXPECT_EQ(image->BranchStack[i][i], i + 1);
  Run({{"MRD"}});
  EXPECT_EQ(PopResult(), 0);
  for (int32_t expected : {0, 0, 8, 7, 6, 5, 4, 3, 2, 1}) {
    Run({{"MPP"}});
    EXPECT_EQ(PopResult(), expected);
  }
  EXPECT_EQ(image->BranchRow, 0);
  EXPECT_EQ(image->BranchCol, 0);
  EXPECT_EQ(image->BlockDepth, 0);
}

// Counters that another process left anywhere never address a cell outside
// the store.
TEST_F(BranchTest, CountersFromOutsideNeverLeaveTheStore) {
  struct Case {
    int32_t row, col;
    int32_t stored_row, stored_col;  // cell MPS writes, -1 for none
    int32_t row_after;
  };
  const Case cases[] = {
      {-7, -7, 0, 0, 1},  {100, 3, 0, 0, 1},   {5, 200, 0, 0, 1},
      {8, 8, -1, -1, 9},  {3, 5, 3, 5, 4},     {-2147483647 - 1, 0, 0, 0, 1},
      {99, 99, -1, -1, 100},
  };
  for (const Case& k : cases) {
    for (auto& row : image->BranchStack)
      for (auto& cell : row) cell = 0;
    image->BranchRow = k.row;
    image->BranchCol = k.col;
    Run({{"PUSH", "6"}, {"MPS"}});
    int32_t written = 0;
    for (auto& row : image->BranchStack)
      for (auto& cell : row) written += cell != 0;
    if (k.stored_row < 0) {
      EXPECT_EQ(written, 0) << k.row << "," << k.col;
    } else {
      EXPECT_EQ(written, 1) << k.row << "," << k.col;
      EXPECT_EQ(image->BranchStack[k.stored_row][k.stored_col], 6) << k.row << "," << k.col;
    }
    EXPECT_EQ(image->BranchRow, k.row_after) << k.row << "," << k.col;
    Run({{"MRD"}, {"MPP"}});
    int32_t expected = k.stored_row < 0 ? 0 : 6;
    EXPECT_EQ(PopResult(), expected);
    EXPECT_EQ(PopResult(), expected);
  }
  // MRD and MPP on counters far outside.
  image->BranchRow = 2147483647;
  image->BranchCol = -5;
  Run({{"MRD"}, {"MPP"}});
  EXPECT_EQ(PopResult(), 0);
  EXPECT_EQ(PopResult(), 0);
  EXPECT_EQ(image->BranchRow, 2147483646);
  EXPECT_EQ(image->BranchCol, 0);
}

TEST_F(BranchTest, AnbAndsWithTheInnermostBranchPoint) {
  struct Case {
    const char* a;
    const char* b;
    const char* branch;  // value of the open branch point, or null for none
    int32_t expected;
  };
  const Case cases[] = {
      {"1", "1", nullptr, 1}, {"2", "3", nullptr, 0}, {"3", "7", nullptr, 1},
      {"1", "1", "0", 0},     {"1", "1", "1", 1},     {"3", "3", "2", 2},
  };
  for (const Case& k : cases) {
    Run({{"END"}});
    image->BranchRow = image->BranchCol = 0;
    if (k.branch) Run({{"PUSH", k.branch}, {"MPS"}});
    Run({{"PUSH", k.a}, {"PUSH", k.b}, {"ANB"}});
    EXPECT_EQ(PopResult(), k.expected) << k.a << "&" << k.b;
    EXPECT_EQ(image->BlockDepth, k.branch ? 1 : 0);
  }
  // A single entry: the missing operand comes from LastResult.
  Run({{"END"}, {"PUSH", "3"}, {"ANB"}});
  EXPECT_EQ(PopResult(), 1);
}

TEST_F(BranchTest, OrbIsALogicalOr) {
  struct Case {
    const char* a;
    const char* b;
    int32_t expected;
  };
  for (const Case& k : {Case{"0", "5", 1}, Case{"0", "0", 0}, Case{"-1", "0", 1}}) {
    Run({{"END"}, {"PUSH", k.a}, {"PUSH", k.b}, {"ORB"}});
    EXPECT_EQ(PopResult(), k.expected);
  }
  // A single entry: the missing operand comes from LastResult.
  Run({{"END"}, {"PUSH", "0"}, {"ORB"}});
  EXPECT_EQ(PopResult(), 0);
}

}  // namespace
}  // namespace quorsma
