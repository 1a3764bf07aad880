// The result stack, the block stack and the end of scan.
#include <gtest/gtest.h>

#include <cstring>

#include "ladder/instructions.h"
#include "ladder/result_stack.h"
#include "unit/ladder/rung.h"

namespace quorsma {
namespace {

using testing::LadderTest;
using ResultStackTest = LadderTest;

TEST_F(ResultStackTest, EmptyStackYieldsTheLastPushedValue) {
  EXPECT_EQ(ladder::Pop(context), 0);  // fresh image, as after END
  EXPECT_EQ(image->ResultDepth, 0);
  ladder::Push(context, 7);
  EXPECT_EQ(ladder::Pop(context), 7);
  EXPECT_EQ(ladder::Pop(context), 7);  // empty again: LastResult
  EXPECT_EQ(image->ResultDepth, 0);
  EXPECT_EQ(image->ResultStack[0], 7);
}

TEST_F(ResultStackTest, FullStackDropsThePush) {
  for (int32_t i = 1; i <= 100; ++i) ladder::Push(context, i);
  ladder::Push(context, 9);
  EXPECT_EQ(image->ResultDepth, 100);
  EXPECT_EQ(image->LastResult, 100);
  EXPECT_EQ(ladder::Pop(context), 100);
  EXPECT_EQ(image->ResultDepth, 99);
}

// Depth cells written by another process never lead outside the 100 cells:
// a depth above 100 counts as full, a negative one as empty.
TEST_F(ResultStackTest, DepthOutsideTheStackIsHeldToIt) {
  struct Case {
    int32_t depth;
    int32_t pop_result;  // Pop after setting the depth
    int32_t depth_after_pop;
  };
  const Case cases[] = {{-1, 5, 0}, {-2147483647 - 1, 5, 0}, {101, 99, 99}, {2147483647, 99, 99}};
  for (const Case& k : cases) {
    for (int32_t i = 0; i < 100; ++i) image->ResultStack[i] = i;
    image->LastResult = 5;
    image->ResultDepth = k.depth;
    EXPECT_EQ(ladder::Pop(context), k.pop_result) << k.depth;
    EXPECT_EQ(image->ResultDepth, k.depth_after_pop) << k.depth;

    image->ResultDepth = k.depth;
    image->BlockDepth = k.depth;
    ladder::Push(context, 42);
    ladder::BlockPush(context, 43);
    if (k.depth < 0) {
      EXPECT_EQ(image->ResultDepth, 1);
      EXPECT_EQ(image->ResultStack[0], 42);
      EXPECT_EQ(image->BlockDepth, 1);
      EXPECT_EQ(image->BlockStack[0], 43);
    } else {
      EXPECT_EQ(image->ResultDepth, k.depth);  // full: dropped
      EXPECT_EQ(image->BlockDepth, k.depth);
    }
  }
  // Neighbours of the stacks were never written.
  EXPECT_EQ(image->BranchStack[0][0], 0);
  EXPECT_EQ(image->LastBlock, 43);
}

TEST_F(ResultStackTest, EndClearsStacksAndStoreButKeepsCountersAndEdges) {
  for (int32_t i = 0; i < 100; ++i) {
    image->ResultStack[i] = i + 1;
    image->BlockStack[i] = i + 1;
  }
  for (auto& row : image->BranchStack)
    for (auto& cell : row) cell = 9;
  image->ResultDepth = 50;
  image->BlockDepth = 60;
  image->LastResult = 4;
  image->LastBlock = 5;
  image->BranchRow = 2;
  image->BranchCol = 3;
  image->PulseSlot = 6;
  image->PulseMemory[6] = 1;
  image->M[0] = 1;

  Run({{"END"}});

  const int32_t zeros[100] = {};
  EXPECT_EQ(std::memcmp(image->ResultStack, zeros, sizeof zeros), 0);
  EXPECT_EQ(std::memcmp(image->BlockStack, zeros, sizeof zeros), 0);
  EXPECT_EQ(std::memcmp(image->BranchStack, zeros, sizeof image->BranchStack), 0);
  EXPECT_EQ(image->ResultDepth, 0);
  EXPECT_EQ(image->BlockDepth, 0);
  EXPECT_EQ(image->LastResult, 0);
  EXPECT_EQ(image->LastBlock, 0);
  EXPECT_EQ(image->BranchRow, 2);
  EXPECT_EQ(image->BranchCol, 3);
  EXPECT_EQ(image->PulseSlot, 6);
  EXPECT_EQ(image->PulseMemory[6], 1);
  EXPECT_EQ(image->M[0], 1);
}

TEST_F(ResultStackTest, InvOnAnEmptyStackAfterEndPushesOne) {
  Run({{"PUSH", "5"}, {"END"}, {"INV"}});
  EXPECT_EQ(image->ResultDepth, 1);
  EXPECT_EQ(PopResult(), 1);
  Run({{"PUSH", "5"}, {"INV"}, {"PUSH", "0"}, {"INV"}});
  EXPECT_EQ(PopResult(), 1);
  EXPECT_EQ(PopResult(), 0);
}

}  // namespace
}  // namespace quorsma
