// Output instructions: LAD_OUT, SET, RST and PLS.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "core/messages.h"
#include "unit/ladder/rung.h"

namespace quorsma {
namespace {

using testing::LadderTest;
using OutputTest = LadderTest;

TEST_F(OutputTest, OutWritesThePoppedValueUnchanged) {
  image->D[0] = 42;
  Run({{"LD", "D0"}, {"LAD_OUT", "Y0"}});
  EXPECT_EQ(image->Y[0], 42);
  EXPECT_EQ(image->ResultDepth, 0);
  Run({{"PUSH", "-3"}, {"LAD_OUT", "D7"}});
  EXPECT_EQ(image->D[7], -3);
}

TEST_F(OutputTest, SetAndRstActOnlyWithTheResultOn) {
  image->M[3] = 0;
  image->M[4] = 1;
  Run({{"PUSH", "0"}, {"SET", "M3"}, {"PUSH", "0"}, {"RST", "M4"}});
  EXPECT_EQ(image->M[3], 0);
  EXPECT_EQ(image->M[4], 1);
  Run({{"PUSH", "5"}, {"SET", "M3"}, {"PUSH", "3"}, {"RST", "M4"}});
  EXPECT_EQ(image->M[3], 1);
  EXPECT_EQ(image->M[4], 0);
  EXPECT_EQ(image->ResultDepth, 0);
}

TEST_F(OutputTest, OutOnATimerDrivesItsCoil) {
  Run({{"PUSH", "1"}, {"LAD_OUT", "T5", "K30"}});
  EXPECT_EQ(image->Tcoil[5], 1);
  EXPECT_EQ(image->Tset[5], 300);
  image->Tcur[5] = 120;
  Run({{"PUSH", "0"}, {"LAD_OUT", "T5", "K30"}});
  EXPECT_EQ(image->Tcoil[5], 0);
  EXPECT_EQ(image->Tset[5], 0);
  EXPECT_EQ(image->Tcur[5], 0);
  // The set value may come from a register.
  image->D[9] = 4;
  Run({{"PUSH", "1"}, {"LAD_OUT", "T6", "D9"}});
  EXPECT_EQ(image->Tset[6], 40);
  EXPECT_TRUE(env.messages.empty());
  // The coil keeps the popped value itself, and the set value is read with
  // the coil off too (a read that shows a message tells).
  Run({{"PUSH", "5"}, {"LAD_OUT", "T7", "K2"}});
  EXPECT_EQ(image->Tcoil[7], 5);
  Run({{"PUSH", "0"}, {"LAD_OUT", "T7", "D100K"}});
  EXPECT_EQ(image->Tcoil[7], 0);
  EXPECT_EQ(env.messages, std::vector<std::string>{text::kMsgGetSmaD});
}

TEST_F(OutputTest, OutWithASetValueOnANonTimerIsRefused) {
  image->M[0] = 0;
  Run({{"PUSH", "1"}, {"PUSH", "1"}, {"LAD_OUT", "M0", "K5"}});
  ASSERT_EQ(env.messages.size(), 1u);
  EXPECT_EQ(env.messages[0], text::kMsgLadOut);
  EXPECT_EQ(image->M[0], 0);
  EXPECT_EQ(image->ResultDepth, 1);  // the result was popped
}

TEST_F(OutputTest, OutOnATimerOutsideTheTimerAreasWritesNoCoil) {
  Run({{"PUSH", "1"}, {"LAD_OUT", "T70000", "K5"}, {"PUSH", "1"}, {"LAD_OUT", "T65535", "K5"}});
  EXPECT_EQ(image->Tcoil[65534], 0);
  EXPECT_EQ(image->Kscratch, 0);
  for (uint8_t b : image->Reserved0063FFBC) EXPECT_EQ(b, 0);
  ASSERT_EQ(env.messages.size(), 2u);
  EXPECT_EQ(env.messages[0], text::kMsgTimerSet);
}

TEST_F(OutputTest, PlsIsOnForTheOneScanOfTheRisingEdge) {
  std::vector<int32_t> written;
  for (int32_t result : {0, 1, 1, 0, 1, 2, 1}) {
    image->M[1] = 7;
    Run({{"SLOT", "12"}, {"PUSH", std::to_string(result)}, {"PLS", "M1"}});
    written.push_back(image->M[1]);
  }
  EXPECT_EQ(written, (std::vector<int32_t>{0, 1, 0, 0, 1, 0, 1}));
}

TEST_F(OutputTest, PlsWithASetValueRunsOutOnTheRisingEdge) {
  // The stack holds [1]; after PLS's own pop, OUT pops LastResult (1).
  Run({{"SLOT", "2"}, {"PUSH", "1"}, {"PLS", "T2", "K5"}});
  EXPECT_EQ(image->Tcoil[2], 1);
  EXPECT_EQ(image->Tset[2], 50);
  EXPECT_EQ(image->ResultDepth, 0);
  // No edge: nothing written, one pop only.
  image->Tcoil[2] = 0;
  Run({{"PUSH", "9"}, {"PUSH", "1"}, {"PLS", "T2", "K5"}});
  EXPECT_EQ(image->Tcoil[2], 0);
  EXPECT_EQ(image->ResultDepth, 1);
}

TEST_F(OutputTest, PlsOnADeviceWithoutACellWritesNothing) {
  Run({{"SLOT", "1"}, {"PUSH", "1"}, {"PLS", "Q5"}});
  ASSERT_EQ(env.messages.size(), 1u);
  EXPECT_EQ(env.messages[0], text::kMsgGetPointError);
  EXPECT_EQ(image->PulseMemory[1], 1);  // the edge was still evaluated
}

}  // namespace
}  // namespace quorsma
