// SetSma and SmaTSet: writing devices and timers.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cstring>
#include <memory>
#include <vector>

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

using SetSmaTest = ImageTest;

TEST_F(SetSmaTest, WholeCellWrites) {
  image->Z[1] = 3;
  const struct {
    const char* operand;
    int32_t value;
    int32_t* cell;
  } cases[] = {
      {"M10", 1, &image->M[10]},  {"X1F", 1, &image->X[31]},     {"Y10", 1, &image->Y[16]},
      {"B1A", 1, &image->B[26]},  {"S5", 1, &image->S[5]},       {"L6", 1, &image->L[6]},
      {"Z7", -8, &image->Z[7]},   {"D100", 123456789, &image->D[100]}, {"W1F", -2, &image->W[31]},
      {"M10Z1", 1, &image->M[13]}, {"D200Z1", 9, &image->D[203]}, {"W10Z1", 9, &image->W[19]},
  };
  for (const auto& c : cases) {
    device::SetSma(context, c.operand, c.value);
    EXPECT_EQ(*c.cell, c.value) << c.operand;
  }
  EXPECT_THAT(env.messages, IsEmpty());
}

struct BitCase {
  const char* operand;
  int32_t before;
  int32_t value;
  int32_t after;
};

TEST_F(SetSmaTest, BitWritesOfDataAndLinkRegisters) {
  const BitCase cases[] = {
      {"D100.3", 0, 1, 8},
      {"D100.3", 15, 0, 7},
      {"D100.2", 0, 3, 12},  // the value is not cut to one bit
      {"D100.0", -1, 0, -2},
      {"D100.F", 0, 1, 0x8000},
      {"D100.15", 0, 1, 0x8000},
      {"D100.", 0, 1, 1},
  };
  for (const auto& c : cases) {
    image->D[100] = c.before;
    device::SetSma(context, c.operand, c.value);
    EXPECT_EQ(image->D[100], c.after) << c.operand << " " << c.before << " " << c.value;
  }
  image->W[31] = 0;
  device::SetSma(context, "W1F.15", 1);
  EXPECT_EQ(image->W[31], 32768);
  EXPECT_THAT(env.messages, IsEmpty());
}

TEST_F(SetSmaTest, BitsOfLongRegisterNumbersChangeOnlyThatBitOfThatRegister) {
  image->D[12345] = 0x0F;
  device::SetSma(context, "D12345.7", 1);
  EXPECT_EQ(image->D[12345], 0x8F);
  EXPECT_EQ(image->D[0], 0);
  image->W[0x12345] = 0x0F;
  device::SetSma(context, "W12345.1", 0);
  EXPECT_EQ(image->W[0x12345], 0x0D);
}

TEST_F(SetSmaTest, BitsOfIndexedRegistersGoToTheRegisterGetSmaReads) {
  image->Z[1] = 5;
  device::SetSma(context, "D100Z1.3", 1);
  EXPECT_EQ(image->D[105], 8);
  EXPECT_EQ(device::GetSma(context, "D100Z1.3"), 1);
  device::SetSma(context, "W10Z1.2", 1);
  EXPECT_EQ(image->W[0x15], 4);
  EXPECT_EQ(device::GetSma(context, "W10Z1.2"), 1);
  EXPECT_EQ(image->D[0], 0);
  EXPECT_EQ(image->D[100], 0);
}

TEST_F(SetSmaTest, BitNumbersOutside0To15ShowTheMessageAndWriteNothing) {
  image->D[100] = 5;
  image->W[16] = 5;
  device::SetSma(context, "D100.16", 1);
  device::SetSma(context, "D100.-1", 1);
  device::SetSma(context, "W10.16", 1);
  EXPECT_EQ(image->D[100], 5);
  EXPECT_EQ(image->W[16], 5);
  EXPECT_THAT(env.messages, ElementsAre(text::kMsgSetBitOverD, text::kMsgSetBitOverD, text::kMsgSetBitOverW));
}

TEST_F(SetSmaTest, DevicesThatCannotBeWrittenShowTheMessage) {
  device::SetSma(context, "SM400", 1);
  device::SetSma(context, "R5", 1);
  device::SetSma(context, "K5", 1);
  device::SetSma(context, "G5", 1);
  device::SetSma(context, "", 1);
  EXPECT_EQ(image->SM[400], 0);
  EXPECT_EQ(image->R[5], 0);
  EXPECT_EQ(image->S[400], 0);
  EXPECT_EQ(env.messages.size(), 5u);
  for (const auto& m : env.messages) EXPECT_EQ(m, text::kMsgSetValue);
}

TEST_F(SetSmaTest, UnparsableTextWritesNothingAndSaysNothing) {
  device::SetSma(context, "K-5", 1);
  device::SetSma(context, "M", 1);
  device::SetSma(context, "X10Z1", 1);
  EXPECT_THAT(env.messages, IsEmpty());
  EXPECT_EQ(image->M[0], 0);
  EXPECT_EQ(image->X[0x10], 0);
}

// Writes whose cell lies outside its area, or whose text names no register,
// are dropped: the image stays as it was.
TEST_F(SetSmaTest, WritesOutsideTheAreasAreDropped) {
  image->Z[1] = -1;
  image->Z[2] = 200000;
  const char* operands[] = {"D131071", "M131071", "X10000",  "Y10000", "B1FFFF", "W1FFFF", "S65535",
                            "L131071", "Z65535",  "M0Z1",    "D0Z1",   "W0Z1",   "M10Z2",  "D99999999999",
                            "D100K",   "D1Z99999.1", "D131071.1", "M0Z70000", "W0Z1.1"};
  // Snapshot of the device values and bookkeeping that a stray write could hit.
  constexpr std::size_t kDeviceBytes = offsetof(Image, CommentM);
  std::vector<char> before(reinterpret_cast<const char*>(image.get()),
                           reinterpret_cast<const char*>(image.get()) + kDeviceBytes);
  for (const char* operand : operands) device::SetSma(context, operand, 0x5A5A5A5A);
  EXPECT_EQ(std::memcmp(before.data(), image.get(), kDeviceBytes), 0);
  EXPECT_EQ(image->TsetCopy[0], 0);
}

using SmaTSetTest = ImageTest;

TEST_F(SmaTSetTest, LoadsResetsAndKeeps) {
  device::SetSma(context, "T3", 5);
  EXPECT_EQ(image->Tset[3], 50);
  EXPECT_EQ(image->TsetCopy[3], 50);

  image->Tcur[3] = 7;
  device::SmaTSet(context, 3, 0);
  EXPECT_EQ(image->Tset[3], 0);
  EXPECT_EQ(image->Tcur[3], 0);

  image->Tcur[3] = 60;
  image->Tset[3] = 80;
  device::SmaTSet(context, 3, 5);  // 50 is not above the count reached
  EXPECT_EQ(image->Tset[3], 80);
  device::SmaTSet(context, 3, -5);
  EXPECT_EQ(image->Tset[3], 80);
  EXPECT_EQ(image->Tcur[3], 60);
  EXPECT_EQ(image->Tcoil[3], 0);

  // Ten times the value, held at the 32-bit range.
  device::SmaTSet(context, 4, INT32_MAX);
  EXPECT_EQ(image->Tset[4], INT32_MAX);
  device::SmaTSet(context, 5, INT32_MIN);  // negative: nothing changes
  EXPECT_EQ(image->Tset[5], 0);
}

TEST_F(SmaTSetTest, TimerNumbersOutsideTheTimersWriteNothing) {
  device::SmaTSet(context, -1, 5);
  EXPECT_THAT(env.messages, IsEmpty());
  device::SmaTSet(context, 65535, 5);
  device::SetSma(context, "T70000", 5);
  EXPECT_THAT(env.messages, ElementsAre(text::kMsgTimerSet, text::kMsgTimerSet));
  EXPECT_EQ(image->Tcoil[65534], 0);
  EXPECT_EQ(image->Kscratch, 0);
  EXPECT_EQ(image->Reserved20E4EF6C[0], 0);
}

}  // namespace
}  // namespace quorsma
