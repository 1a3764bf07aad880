// GetSma: device values by operand text, on its own parsing rules.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <string>

#include "core/areas.h"
#include "core/messages.h"
#include "device/read.h"
#include "support/test_image.h"

namespace quorsma {
namespace {

using testing::ImageTest;
using ::testing::ElementsAre;
using ::testing::IsEmpty;

using GetSmaTest = ImageTest;

struct ReadCase {
  const char* operand;
  int32_t expected;
};

TEST_F(GetSmaTest, MalformedTextYieldsTheFailureValue) {
  for (const char* operand : {"", "M", "K", "K-5", "D:5", "KZ", "M+1", "D?", "Xxyz"}) {
    EXPECT_EQ(device::GetSma(context, operand), kBadOperand) << operand;
  }
  EXPECT_THAT(env.messages, IsEmpty());
}

TEST_F(GetSmaTest, PlainFormReadsEachArea) {
  image->SM[400] = 1;
  image->M[10] = 1;
  image->Z[3] = -4;
  image->X[31] = 1;
  image->B[26] = 1;
  image->L[7] = 1;
  image->Y[16] = 1;
  image->R[5] = 55;
  image->D[100] = -1;
  image->W[16] = 0x1234;
  image->S[9] = 1;
  const ReadCase cases[] = {
      {"SM400", 1}, {"M10", 1},   {"K100", 100}, {"Z3", -4},      {"X1F", 1},
      {"B1A", 1},   {"L7", 1},    {"Y10", 1},    {"U0A123", 123}, {"R5", 55},
      {"D100", -1}, {"W10", 0x1234}, {"S9", 1},  {"K4B10", 4},    {"SM400Z1", 1},
      {"X 1F", 1},  {"D101", 0},
  };
  for (const auto& c : cases) EXPECT_EQ(device::GetSma(context, c.operand), c.expected) << c.operand;
  EXPECT_THAT(env.messages, IsEmpty());
  EXPECT_THAT(env.traces, IsEmpty());
}

TEST_F(GetSmaTest, IndexRegisterOffsetsTheDevice) {
  image->Z[2] = 3;
  image->B[0x10 + 3] = 1;
  image->Y[0x10 + 3] = 1;
  image->M[13] = 1;
  image->D[103] = 77;
  image->W[0x10 + 3] = 88;
  EXPECT_EQ(device::GetSma(context, "B10Z2"), 1);
  EXPECT_EQ(device::GetSma(context, "Y10Z2"), 1);
  EXPECT_EQ(device::GetSma(context, "X10Z2"), 0) << "Y is read from Y, X from X";
  EXPECT_EQ(device::GetSma(context, "M10Z2"), 1);
  EXPECT_EQ(device::GetSma(context, "D100Z2"), 77);
  EXPECT_EQ(device::GetSma(context, "W10Z2"), 88);
}

TEST_F(GetSmaTest, DigitReadsCombineRelaysIntoANumber) {
  image->M[100] = 1;
  image->M[103] = 1;
  EXPECT_EQ(device::GetSma(context, "K4M100"), 9);
  EXPECT_EQ(device::GetSma(context, "K1M100"), 9);
  EXPECT_EQ(device::GetSma(context, "K1M101"), 4);

  image->Z[1] = 4;
  image->M[104] = 1;
  image->M[119] = 1;
  image->M[120] = 1;  // the 17th relay: not part of K4
  EXPECT_EQ(device::GetSma(context, "K4M100Z1"), 1 | (1 << 15));

  for (int i = 0; i < 32; ++i) image->M[200 + i] = 1;
  EXPECT_EQ(device::GetSma(context, "K8M200"), -1);
}

TEST_F(GetSmaTest, DigitReadsOutsideTheirRangeReadZero) {
  for (int i = 131040; i < 131071; ++i) image->M[i] = 1;
  EXPECT_EQ(device::GetSma(context, "K8M131039"), static_cast<int32_t>(0xFFFFFFFEu));
  EXPECT_EQ(device::GetSma(context, "K8M131040"), 0) << "run past the last relay";
  EXPECT_EQ(device::GetSma(context, "K9M0"), 0) << "more than 8 digits";
  EXPECT_EQ(device::GetSma(context, "K0M131040"), 0);
  image->Z[1] = -1;
  EXPECT_EQ(device::GetSma(context, "K1M0Z1"), 0) << "run before the first relay";
  EXPECT_EQ(device::GetSma(context, "K1M131040Z99999"), 0) << "no such index register";
}

TEST_F(GetSmaTest, BitsOfRegisters) {
  image->D[100] = 8;
  image->D[12345] = 1 << 7;
  image->W[31] = 1 << 15;
  image->D[7] = INT32_MIN;
  const ReadCase cases[] = {
      {"D100.3", 1},    {"D100.4", 0},  {"D100.03", 1}, {"W1F.15", 1}, {"W1F.F", 1},
      {"D12345.7", 1},  {"D12345.0", 0}, {"D7.31", 1},  {"D7.32", 0},  {"D100.-1", 0},
      {"D100.99999999999", 0},
  };
  for (const auto& c : cases) EXPECT_EQ(device::GetSma(context, c.operand), c.expected) << c.operand;
  EXPECT_THAT(env.messages, IsEmpty());
}

TEST_F(GetSmaTest, TextsItCannotPlaceYieldZeroWithTheirMessageOrTrace) {
  image->D[100] = 5;
  image->L[10] = 1;
  EXPECT_EQ(device::GetSma(context, "H10"), 0);
  EXPECT_EQ(device::GetSma(context, "D100K"), 0);
  EXPECT_EQ(device::GetSma(context, "W100K"), 0);
  EXPECT_THAT(env.messages, ElementsAre(text::kMsgGetSmaPlain, text::kMsgGetSmaD, text::kMsgGetSmaW));
  EXPECT_EQ(device::GetSma(context, "L10Z1"), 0);
  EXPECT_EQ(device::GetSma(context, "K4X10"), 0) << "digit reads exist for M relays only";
  EXPECT_EQ(device::GetSma(context, "R0Z1"), 0) << "device number 0: no trace";
  EXPECT_EQ(device::GetSma(context, "G5Z1"), 'G');
  EXPECT_THAT(env.traces, ElementsAre("GetSma( char* in ) L10Z1\n", "GetSma( char* in ) K4X10\n"));
}

TEST_F(GetSmaTest, LongOperandsAreCutInTheTraceLine) {
  const std::string operand = "L1Z" + std::string(5000, '1');
  EXPECT_EQ(device::GetSma(context, operand.c_str()), 0);
  ASSERT_EQ(env.traces.size(), 1u);
  EXPECT_LT(env.traces[0].size(), 1024u);
}

TEST_F(GetSmaTest, CellsOutsideTheAreaReadZero) {
  image->Z[1] = 200000;
  image->Z[2] = -11;
  image->WrDChk[0] = 9;  // the cell after D131070
  image->Reserved000BFFF8[0] = 9;  // the cell after M131070
  const char* outside[] = {"D131071", "M131071", "X10000",  "SM65535", "Z65535", "M10Z1",
                           "M10Z2",   "D0Z2",    "D0Z1.1",  "W1FFFF",  "B1FFFF", "M0Z70000",
                           "D 99999999999", "L -1", "S99999"};
  for (const char* operand : outside) EXPECT_EQ(device::GetSma(context, operand), 0) << operand;
}

TEST_F(GetSmaTest, TimerOperandsReadTheContact) {
  image->Tcoil[5] = 1;
  image->Tset[5] = 100;
  image->Tcur[5] = 100;
  EXPECT_EQ(device::GetSma(context, "T5"), 1);
  EXPECT_EQ(image->TcurCopy[5], 100);
  EXPECT_EQ(image->TsetCopy[5], 100);
  EXPECT_EQ(device::GetSma(context, "T5K100"), 1) << "always the plain form";
  image->Tcur[5] = 99;
  EXPECT_EQ(device::GetSma(context, "T5"), 0);
}

}  // namespace
}  // namespace quorsma
