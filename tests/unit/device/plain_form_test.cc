// The plain form (a device letter and a short number) is read, written and
// placed without the general parsers, through a table of the letters for the
// ladder's reads, with the value-change check skipped while logging is off:
// every text must still come out exactly as the general parsers have it,
// value, cell, messages and log bookkeeping alike, with logging off and on.
#include <gtest/gtest.h>

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

#include "device/general_path.h"
#include "device/operand.h"
#include "device/operand_index.h"
#include "device/plain_device.h"
#include "device/read.h"
#include "device/write.h"
#include "support/test_image.h"

namespace quorsma {
namespace {

using testing::TestEnv;
using testing::TestImage;

// Around the edges of the plain form: letters with and without it, the
// longest short numbers and one digit more, digits of the other base, area
// ends, and a suffix after each number.
std::vector<std::string> Operands() {
  const char* devices[] = {"D", "M", "K", "T", "L", "R", "Z", "S", "X", "Y", "B", "W", "SM", "U", "G", "A", "d", "@"};
  const char* numbers[] = {"0",      "7",         "100",        "300",     "1099",     "1100",  "1F",    "1f",
                           "131070", "131071",    "65534",      "65535",   "FFFFFFF",  "FFFFFFFF", "123456789",
                           "1234567890", "0000000001", "00000001", "A", "",  "+5",      "-1",    " 7"};
  const char* suffixes[] = {"", "Z1", ".3", "M100", "K5", "X"};
  std::vector<std::string> out;
  for (const char* d : devices)
    for (const char* n : numbers)
      for (const char* s : suffixes) out.push_back(std::string(d) + n + s);
  return out;
}

void Seed(Image& image, bool logging) {
  for (int i = 0; i < 22; ++i) image.Z[i] = i % 3;
  for (int i = 0; i < 1200; ++i) {
    image.M[i] = i % 3 == 0;
    image.D[i] = i * 7;
    image.W[i] = -i;
    image.L[i] = i & 1;
    image.B[i] = (i >> 1) & 1;
    image.X[i % 64] = i & 1;
    image.R[i] = i;
    image.S[i] = (i >> 2) & 1;
  }
  for (int i = 0; i < 16; ++i) {
    image.Tcoil[i] = 1;
    image.Tset[i] = 50;
    image.Tcur[i] = i * 5;
  }
  for (int i = 131040; i < 131071; ++i) image.M[i] = image.D[i] = 1;
  image.LogEnable = logging ? 1 : 0;
  // Two data registers kept out of the log, so that both sides of the
  // exclusion test are met (and none at the bounds of D300..D1099).
  image.NoLogD[7] = image.NoLogD[100] = 1;
}

// Device values and timers, and the line a change made.
void ExpectSameDevices(const Image& fast, const Image& general, const std::string& operand) {
  EXPECT_EQ(std::memcmp(&fast, &general, offsetof(Image, CommentM)), 0) << operand;
  EXPECT_STREQ(fast.LogLine, general.LogLine) << operand;
}

// The value-change bookkeeping: last logged values, exclusions, mailbox.
void ExpectSameLog(const Image& fast, const Image& general) {
  const std::size_t log_begin = offsetof(Image, LogPrevM);
  const std::size_t log_end = offsetof(Image, MemParaPath);
  EXPECT_EQ(std::memcmp(reinterpret_cast<const char*>(&fast) + log_begin,
                        reinterpret_cast<const char*>(&general) + log_begin, log_end - log_begin),
            0);
}

class PlainFormTest : public ::testing::TestWithParam<bool> {
 protected:
  void SetUp() override {
    Seed(*fast_image.get(), GetParam());
    Seed(*general_image.get(), GetParam());
  }
  // Frees the mailbox on both sides, so that every change can make a line.
  void Free() {
    fast_image->LogLinePending = 0;
    general_image->LogLinePending = 0;
  }
  TestImage fast_image;
  TestImage general_image;
  TestEnv fast_env;
  TestEnv general_env;
  Context fast{fast_image.get(), &fast_env};
  Context general{general_image.get(), &general_env};
};

// The ladder's read (ReadDevice) and the exports' (GetSma), each against the
// general parser.
TEST_P(PlainFormTest, ReadsAgreeWithTheGeneralParser) {
  for (const std::string& operand : Operands()) {
    for (bool ladder : {true, false}) {
      // A change waiting to be logged: the read's check meets it.
      fast_image->M[100] = general_image->M[100] = fast_image->M[100] ^ 1;
      fast_image->D[300] = general_image->D[300] = fast_image->D[300] + 1;
      const int32_t value =
          ladder ? device::ReadDevice(fast, operand.c_str()) : device::GetSma(fast, operand.c_str());
      EXPECT_EQ(value, device::GetSmaGeneral(general, operand.c_str())) << operand << (ladder ? " (ladder)" : "");
      ExpectSameDevices(*fast_image.get(), *general_image.get(), operand);
      Free();
    }
  }
  ExpectSameLog(*fast_image.get(), *general_image.get());
  EXPECT_EQ(fast_env.messages, general_env.messages);
  EXPECT_EQ(fast_env.traces, general_env.traces);
}

TEST_P(PlainFormTest, WritesAgreeWithTheGeneralParser) {
  int32_t value = 1;
  for (const std::string& operand : Operands()) {
    device::SetSma(fast, operand.c_str(), value);
    device::SetSmaGeneral(general, operand.c_str(), value);
    ExpectSameDevices(*fast_image.get(), *general_image.get(), operand);
    Free();
    value += 7;
  }
  ExpectSameLog(*fast_image.get(), *general_image.get());
  EXPECT_EQ(fast_env.messages, general_env.messages);
  EXPECT_EQ(fast_env.traces, general_env.traces);
}

TEST_P(PlainFormTest, CellsAndIndicesAgreeWithTheResolver) {
  const auto base = reinterpret_cast<std::uintptr_t>(fast_image.get());
  const auto general_base = reinterpret_cast<std::uintptr_t>(general_image.get());
  for (const std::string& operand : Operands()) {
    EXPECT_EQ(device::GetIndex(fast, operand.c_str()), device::ResolveIndex(general, operand.c_str()).value)
        << operand;
    const int32_t* cell = device::SmaGetPoint(fast, operand.c_str());
    const int32_t* general_cell = device::SmaGetPointGeneral(general, operand.c_str());
    ASSERT_EQ(cell == nullptr, general_cell == nullptr) << operand;
    if (cell != nullptr) {
      EXPECT_EQ(reinterpret_cast<std::uintptr_t>(cell) - base, reinterpret_cast<std::uintptr_t>(general_cell) - general_base)
          << operand;
    }
    ExpectSameDevices(*fast_image.get(), *general_image.get(), operand);
    Free();
  }
  ExpectSameLog(*fast_image.get(), *general_image.get());
  EXPECT_EQ(fast_env.messages, general_env.messages);
  EXPECT_EQ(fast_env.traces, general_env.traces);
}

INSTANTIATE_TEST_SUITE_P(LoggingOffAndOn, PlainFormTest, ::testing::Bool());

}  // namespace
}  // namespace quorsma
