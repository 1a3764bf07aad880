// BSFLP: shifting a run of internal relays on the rising edge.
#include <gtest/gtest.h>

#include <string>

#include "core/messages.h"
#include "unit/ladder/rung.h"

namespace quorsma {
namespace {

using testing::LadderTest;
using BitShiftTest = LadderTest;

TEST_F(BitShiftTest, ShiftsTheRunOnceOnTheRisingEdge) {
  const int32_t before[] = {1, 0, 1, 1};
  for (int i = 0; i < 4; ++i) image->M[100 + i] = before[i];
  image->M[104] = 5;
  Run({{"SLOT", "3"}, {"PUSH", "1"}, {"BSFLP", "M100", "K4"}});
  EXPECT_EQ(image->M[100], 0);
  EXPECT_EQ(image->M[101], 1);
  EXPECT_EQ(image->M[102], 0);
  EXPECT_EQ(image->M[103], 1);
  EXPECT_EQ(image->M[104], 5);
  // The result staying on shifts nothing more.
  Run({{"PUSH", "1"}, {"BSFLP", "M100", "K4"}});
  EXPECT_EQ(image->M[101], 1);
  EXPECT_EQ(image->M[103], 1);
  EXPECT_EQ(image->ResultDepth, 0);
  EXPECT_TRUE(env.messages.empty());
}

TEST_F(BitShiftTest, ShortRunsOnlyClearTheFirstRelay) {
  for (const char* count : {"K1", "K0", "K-3"}) {
    image->M[100] = 1;
    image->M[101] = 1;
    image->PulseMemory[0] = 0;
    Run({{"SLOT", "0"}, {"PUSH", "1"}, {"BSFLP", "M100", count}});
    EXPECT_EQ(image->M[100], 0) << count;
    EXPECT_EQ(image->M[101], 1) << count;
  }
}

TEST_F(BitShiftTest, ReachesTheLastRelayButNeverPastIt) {
  image->M[131069] = 1;
  image->M[131070] = 1;
  Run({{"SLOT", "0"}, {"PUSH", "1"}, {"BSFLP", "M131069", "K2"}});
  EXPECT_EQ(image->M[131069], 0);
  EXPECT_EQ(image->M[131070], 1);
  EXPECT_TRUE(env.messages.empty());
}

// Each refusal shows its message, touches no relay and leaves the edge cell
// alone (so a later valid call still sees the rising edge).
TEST_F(BitShiftTest, RefusesBadOperandsWithTheirMessage) {
  const std::string long_number(16, '1');
  const std::string long_count = "K" + std::string(15, '1');
  const std::string long_device = "M" + std::string(60, '0') + "1";
  struct Case {
    std::string device, count;
    const char* message;
  };
  const Case cases[] = {
      {"D100", "K4", text::kMsgBsflpDevice},
      {"M100", "D4", text::kMsgBsflpFormat},
      {"M100", "", text::kMsgBsflpFormat},
      {"M200000", "K4", text::kMsgBsflpRange},
      {"D200000", "K4", text::kMsgBsflpRange},  // range is tested before the device
      {"M-5", "K4", text::kMsgBsflpRange},
      {"M131071", "K1", text::kMsgBsflpRange},  // no relay 131071
      {"M131068", "K4", text::kMsgBsflpRange},  // the run would end past M131070
      {"M100", "K2147483647", text::kMsgBsflpRange},
      {"M" + long_number, "K4", text::kMsgBsflpFormat},
      {"M100", long_count, text::kMsgBsflpFormat},
      {long_device, "K4", text::kMsgBsflpFormat},  // joined text over 63 characters
      {"", "K4", text::kMsgBsflpDevice},
  };
  for (const Case& k : cases) {
    env.Clear();
    image->M[100] = 1;
    image->M[131068] = image->M[131069] = image->M[131070] = 1;
    image->PulseMemory[0] = 0;
    Run({{"SLOT", "0"}, {"PUSH", "1"}, {"BSFLP", k.device, k.count}});
    ASSERT_EQ(env.messages.size(), 1u) << k.device << "," << k.count;
    EXPECT_EQ(env.messages[0], k.message) << k.device << "," << k.count;
    EXPECT_EQ(image->M[100], 1);
    EXPECT_EQ(image->M[131068], 1);
    EXPECT_EQ(image->M[131070], 1);
    EXPECT_EQ(image->Reserved000BFFF8[0], 0);
    EXPECT_EQ(image->PulseMemory[0], 0) << k.device << "," << k.count;
    EXPECT_EQ(image->ResultDepth, 0);
  }
}

TEST_F(BitShiftTest, ACommaInTheDeviceOperandMovesTheSplit) {
  // "M100,K2" and "junk" join to "M100,K2,junk"; the count text is
  // "K2,junk", whose value is 2.
  image->M[100] = 1;
  Run({{"SLOT", "0"}, {"PUSH", "1"}, {"BSFLP", "M100,K2", "junk"}});
  EXPECT_TRUE(env.messages.empty());
  EXPECT_EQ(image->M[100], 0);
  EXPECT_EQ(image->M[101], 1);
  EXPECT_EQ(image->M[102], 0);
}

}  // namespace
}  // namespace quorsma
