// SmaGetPoint, GetComSma, GetValue2Word and the timer contact.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "core/areas.h"
#include "core/messages.h"
#include "device/read.h"
#include "device/write.h"
#include "support/test_image.h"

namespace quorsma {
namespace {

using testing::ImageTest;
using ::testing::ElementsAre;
using ::testing::IsEmpty;

using SmaGetPointTest = ImageTest;

TEST_F(SmaGetPointTest, ReturnsTheCellOfEachDevice) {
  image->Z[1] = 2;
  const struct {
    const char* operand;
    int32_t* expected;
  } cases[] = {
      {"SM400", &image->SM[400]}, {"M10", &image->M[10]},  {"M10Z1", &image->M[12]}, {"B1A", &image->B[26]},
      {"W10", &image->W[16]},     {"X1F", &image->X[31]},  {"Y2", &image->Y[2]},     {"T5", &image->Tcur[5]},
      {"T5K100", &image->Tcur[5]}, {"R6", &image->R[6]},   {"L7", &image->L[7]},     {"D100", &image->D[100]},
      {"D100.3", &image->D[100]}, {"D100Z1", &image->D[102]}, {"Z3", &image->Z[3]},  {"S4", &image->S[4]},
      {"D12345.7", &image->D[12345]}, {"D100Z1.3", &image->D[102]}, {"W10Z1.3", &image->W[18]},
  };
  for (const auto& c : cases) EXPECT_EQ(device::SmaGetPoint(context, c.operand), c.expected) << c.operand;
  EXPECT_THAT(env.messages, IsEmpty());
}

TEST_F(SmaGetPointTest, ConstantsGoToTheScratchCell) {
  EXPECT_EQ(device::SmaGetPoint(context, "K7"), &image->Kscratch);
  EXPECT_EQ(image->Kscratch, 7);
  EXPECT_EQ(device::SmaGetPoint(context, "K-5"), &image->Kscratch);
  EXPECT_EQ(image->Kscratch, -5);
}

TEST_F(SmaGetPointTest, UnknownDeviceShowsTheMessage) {
  EXPECT_EQ(device::SmaGetPoint(context, "Q5"), nullptr);
  EXPECT_EQ(device::SmaGetPoint(context, ""), nullptr);
  EXPECT_THAT(env.messages, ElementsAre(text::kMsgGetPointError, text::kMsgGetPointError));
}

TEST_F(SmaGetPointTest, NoAddressOutsideAnAreaOrForTextsThatNameNoCell) {
  image->Z[1] = -200;
  for (const char* operand : {"D131071", "X10000", "T65535", "SM65535", "M10Z1", "M", "M-1", "D100K",
                              "X10Z1", "D99999999999", "B1FFFF", "M10Z99999"}) {
    EXPECT_EQ(device::SmaGetPoint(context, operand), nullptr) << operand;
  }
  EXPECT_EQ(device::SmaGetPoint(context, "D131070"), &image->D[131070]);
}

using GetComSmaTest = ImageTest;

TEST_F(GetComSmaTest, ReturnsTheCommentEntryOfEachDevice) {
  const struct {
    const char* operand;
    char* expected;
  } cases[] = {
      {"SM400", image->CommentSM[400]}, {"D100", image->CommentD[100]}, {"M10", image->CommentM[10]},
      {"T5", image->CommentT[5]},       {"X1F", image->CommentX[31]},   {"B1A", image->CommentB[26]},
      {"L7", image->CommentL[7]},       {"Y2", image->CommentY[2]},     {"R6", image->CommentR[6]},
      {"W10", image->CommentW[16]},     {"S4", image->CommentS[4]},     {"X10000", image->CommentX[65536]},
      {"D130000", image->CommentD[130000]},
  };
  for (const auto& c : cases) EXPECT_EQ(device::GetComSma(context, c.operand), c.expected) << c.operand;
}

TEST_F(GetComSmaTest, NullForNoDeviceOrNoEntry) {
  for (const char* operand : {"", "Q5", "M", "M-1", "D131071", "X20000", "D100K", "Z5", "K5"}) {
    EXPECT_EQ(device::GetComSma(context, operand), nullptr) << operand;
  }
  EXPECT_THAT(env.messages, IsEmpty());
}

using GetValue2WordTest = ImageTest;

TEST_F(GetValue2WordTest, CombinesTheLow16BitsOfTwoRegisters) {
  image->D[10] = 0x1234;
  image->D[11] = 0x0001;
  EXPECT_EQ(device::GetValue2Word(context, "D10"), 0x00011234);
  image->D[10] = -1;
  EXPECT_EQ(device::GetValue2Word(context, "D10"), 0x0001FFFF);
  image->W[16] = 0x5678;
  image->W[17] = 0xFFFF;
  EXPECT_EQ(device::GetValue2Word(context, "W10"), static_cast<int32_t>(0xFFFF5678u));
}

TEST_F(GetValue2WordTest, ConstantsAndFailures) {
  EXPECT_EQ(device::GetValue2Word(context, "K5"), 5);
  EXPECT_EQ(device::GetValue2Word(context, "K-5"), kBadOperand);
  EXPECT_EQ(device::GetValue2Word(context, "K4M100"), 100);
  image->D[131070] = 1;
  EXPECT_EQ(device::GetValue2Word(context, "D131070"), 0) << "its second register lies outside D";
  EXPECT_EQ(device::GetValue2Word(context, "D-1"), 0);
  EXPECT_EQ(device::GetValue2Word(context, "D100K"), 0);
  EXPECT_THAT(env.messages, IsEmpty());
  EXPECT_EQ(device::GetValue2Word(context, "M10"), 0);
  EXPECT_THAT(env.messages, ElementsAre(text::kMsgGetValue2Word));
}

using TimerContactTest = ImageTest;

TEST_F(TimerContactTest, TimedOutWhenCoilOnAndCountReached) {
  image->Tcoil[5] = 1;
  image->Tset[5] = 100;
  image->Tcur[5] = 99;
  EXPECT_EQ(device::SmaTGet(context, 5), 0);
  EXPECT_EQ(image->TcurCopy[5], 0);
  image->Tcur[5] = 101;
  EXPECT_EQ(device::SmaTGet(context, 5), 1);
  EXPECT_EQ(image->TcurCopy[5], 101);
  EXPECT_EQ(image->TsetCopy[5], 100);
  image->Tcoil[5] = 0;
  EXPECT_EQ(device::SmaTGet(context, 5), 0);
}

TEST_F(TimerContactTest, NumbersOutsideTheTimersReadZero) {
  EXPECT_EQ(device::SmaTGet(context, -1), 0);
  EXPECT_THAT(env.messages, IsEmpty());
  EXPECT_EQ(device::SmaTGet(context, 65535), 0);
  EXPECT_EQ(device::SmaTGet(context, INT32_MAX), 0);
  EXPECT_THAT(env.messages, ElementsAre(text::kMsgTimerGet, text::kMsgTimerGet));
  EXPECT_EQ(image->Reserved20D0EF80[0], 0);
}

TEST(SpecialRelayTest, OnlyTheDefinedRelaysAreRead) {
  testing::TestImage image;
  Context context{image.get(), nullptr};
  for (int n : {400, 401, 402, 403, 404, 410, 411, 412, 413, 0}) image->SM[n] = 1;
  for (int n : {400, 401, 402, 403, 411, 412}) EXPECT_EQ(device::SM(context, n), 1) << n;
  for (int n : {404, 410, 413, 0, -1, 65535, INT32_MIN}) EXPECT_EQ(device::SM(context, n), 0) << n;
}

}  // namespace
}  // namespace quorsma
