// Where device access runs the value-change checks: which operations, and on
// which index.  Observed through the last logged values the checks keep.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <string>

#include "config/value_change_log.h"
#include "device/read.h"
#include "device/write.h"
#include "support/test_image.h"

namespace quorsma {
namespace {

class ValueChangeCallsTest : public testing::ImageTest {
 protected:
  void SetUp() override {
    // A throwaway change of the last relay tells whether the log is built.
    image->LogEnable = 1;
    image->M[131070] = 1;
    config::CheckM(context, 131070);
    const bool live = image->LogPrevM[131070] == 1;
    image->M[131070] = 0;
    image->LogPrevM[131070] = 0;
    Free();
    if (!live) GTEST_SKIP() << "value-change log not available in this build";
  }
  void Free() {
    image->LogLinePending = 0;
    image->LogLine[0] = '\0';
  }
};

TEST_F(ValueChangeCallsTest, ReadsCheckTheDeviceWithoutTheIndexOffset) {
  image->Z[2] = 5;
  image->M[10] = 1;
  device::GetSma(context, "M10Z2");
  EXPECT_EQ(image->LogPrevM[10], 1);
  EXPECT_EQ(image->LogPrevM[15], 0);
  EXPECT_NE(std::string(image->LogLine).find("M[0010]=0 => 1"), std::string::npos) << image->LogLine;
}

TEST_F(ValueChangeCallsTest, EachLoggedKindIsCheckedOnReadWriteAndPointer) {
  image->B[0x1A] = 1;
  device::GetSma(context, "B1A");
  EXPECT_EQ(image->LogPrevB[0x1A], 1);
  Free();
  image->L[7] = 1;
  device::GetSma(context, "L7");
  EXPECT_EQ(image->LogPrevL[7], 1);
  Free();
  image->W[0x10] = 3;
  device::GetSma(context, "W10");
  EXPECT_EQ(image->LogPrevW[0x10], 3);
  Free();
  device::SetSma(context, "M20", 1);
  EXPECT_EQ(image->LogPrevM[20], 1);
  Free();
  device::SetSma(context, "W1.2", 1);
  EXPECT_EQ(image->LogPrevW[1], 4);
  Free();
  image->M[30] = 1;
  device::SmaGetPoint(context, "M30");
  EXPECT_EQ(image->LogPrevM[30], 1);
}

TEST_F(ValueChangeCallsTest, DigitReadsAndUnloggedKindsRunNoCheck) {
  image->M[40] = 1;
  device::GetSma(context, "K1M40");
  EXPECT_EQ(image->LogPrevM[40], 0);
  EXPECT_EQ(image->LogLinePending, 0);
  image->X[1] = 1;
  device::GetSma(context, "X1");
  device::SetSma(context, "Y1", 1);
  EXPECT_EQ(image->LogLinePending, 0);
}

}  // namespace
}  // namespace quorsma
