// Retentive data registers: Set_Map saves groups of 50, attach loads them.
#include "config/retentive.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <random>
#include <string>
#include <vector>

#include "core/areas.h"
#include "platform/env.h"
#include "support/test_image.h"

namespace quorsma::testing {
namespace {

class RetentiveTest : public ImageTest {
 protected:
  RetentiveTest() { std::snprintf(image->MemParaPath, sizeof image->MemParaPath, "%s", dir.path().string().c_str()); }

  std::string DataFile() const { return dir.File("_DIO_DV.ini"); }
  std::string CheckFile() const { return dir.File("_DIO_WrDChk.ini"); }

  static std::string Repeat(const std::string& text, int n) {
    std::string out;
    for (int k = 0; k < n; ++k) out += text;
    return out;
  }
  static std::string Zeros(int n) { return Repeat("0,", n); }

  TempDir dir;
};

TEST_F(RetentiveTest, SetMapSavesTheGroupAndWritesTheLine) {
  image->D[123] = 7;
  std::snprintf(image->CommentD[123], 256, "FLOW");
  EXPECT_EQ(config::SetMap(context, "D", 123), 0);
  EXPECT_EQ(ReadBytes(DataFile()), "[MODULE_DV]\r\nD000100=" + Zeros(23) + "7," + Zeros(26) + "\r\n");
  EXPECT_STREQ(image->LogLine, "VC => D[0123]=0 => 7 \t: FLOW");
  EXPECT_EQ(image->LogLinePending, 1);
  EXPECT_EQ(image->LogPrevD[123], 0);  // the check moves it, not Set_Map
}

TEST_F(RetentiveTest, GroupKeys) {
  struct Case {
    int index;
    const char* key;
    int count;
  } cases[] = {{0, "D000000", 50},      {7, "D000000", 50},      {49, "D000000", 50},    {50, "D000050", 50},
               {131000, "D131000", 50}, {131049, "D131000", 50}, {131050, "D131050", 21}, {131070, "D131050", 21}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.index);
    std::remove(DataFile().c_str());
    image->D[c.index] = -5;
    config::SetMap(context, "D", c.index);
    std::string content = ReadBytes(DataFile());
    std::string expected = "[MODULE_DV]\r\n" + std::string(c.key) + "=";
    for (int k = 0; k < c.count; ++k) expected += std::to_string(image->D[c.index / 50 * 50 + k]) + ",";
    EXPECT_EQ(content, expected + "\r\n");
    image->D[c.index] = 0;
  }
  EXPECT_EQ(image->WrDChk[0], 0);  // the last group reads nothing past D
}

TEST_F(RetentiveTest, ExtremeValuesAndReplacement) {
  image->D[0] = INT32_MIN;
  image->D[49] = INT32_MAX;
  config::SetMap(context, "D", 0);
  image->D[1] = 12;
  config::SetMap(context, "Dxyz", 3);
  EXPECT_EQ(ReadBytes(DataFile()),
            "[MODULE_DV]\r\nD000000=-2147483648,12," + Zeros(47) + "2147483647,\r\n");
}

TEST_F(RetentiveTest, OtherKindsAndIndicesDoNothing) {
  for (const char* kind : {"X", "Wr", "", "WrDChkX", "wrdchk", "d"}) {
    SCOPED_TRACE(kind);
    EXPECT_EQ(config::SetMap(context, kind, 5), 0);
  }
  EXPECT_EQ(config::SetMap(context, nullptr, 5), 0);
  EXPECT_EQ(config::SetMap(context, "D", -1), 0);
  EXPECT_EQ(config::SetMap(context, "D", 131071), 0);
  EXPECT_EQ(config::SetMap(context, "WrDChk", INT32_MIN), 0);
  EXPECT_EQ(ReadBytes(DataFile()), "");
  EXPECT_EQ(ReadBytes(CheckFile()), "");
  EXPECT_EQ(image->LogLinePending, 0);
  EXPECT_EQ(image->LogLine[0], '\0');
}

TEST_F(RetentiveTest, WriteCheckGroupWithoutLine) {
  image->WrDChk[151] = 3;
  image->D[151] = 9;
  config::SetMap(context, "WrDChk", 151);
  EXPECT_EQ(ReadBytes(CheckFile()), "[MODULE_WrDChk]\r\nWrDChk000150=0,3," + Zeros(48) + "\r\n");
  EXPECT_EQ(image->LogLinePending, 0);
  EXPECT_EQ(ReadBytes(DataFile()), "");
}

TEST_F(RetentiveTest, PendingLineIsNotReplaced) {
  image->LogLinePending = 1;
  std::snprintf(image->LogLine, sizeof image->LogLine, "VC => M[0001]=0 => 1 \t: ");
  image->D[10] = 4;
  config::SetMap(context, "D", 10);
  EXPECT_STREQ(image->LogLine, "VC => M[0001]=0 => 1 \t: ");
  EXPECT_EQ(ReadBytes(DataFile()), "[MODULE_DV]\r\nD000000=" + Zeros(10) + "4," + Zeros(39) + "\r\n");
}

TEST_F(RetentiveTest, UnwritableDirectoryIsNotReported) {
  std::snprintf(image->MemParaPath, sizeof image->MemParaPath, "%s", dir.File("missing").c_str());
  image->D[10] = 4;
  EXPECT_EQ(config::SetMap(context, "D", 10), 0);
  EXPECT_EQ(image->LogLinePending, 1);
}

TEST_F(RetentiveTest, LoadCases) {
  struct Case {
    const char* name;
    std::string file;
    int first;                  // first register checked
    std::vector<int> expected;  // from `first` on; 99 = left as it was
  } cases[] = {
      {"three values", "[MODULE_DV]\r\nD000050=1,2,3,\r\n", 50, {1, 2, 3, 99}},
      {"blank, letter and digit fields", "[MODULE_DV]\r\nD000000= 5,x,7,\r\n", 0, {5, 0, 7, 99}},
      {"empty first field not stored", "[MODULE_DV]\r\nD000100=,4,,6,\r\n", 100, {99, 4, 0, 6, 99}},
      {"field without closing comma", "[MODULE_DV]\r\nD000100=1,2,3\r\n", 100, {1, 2, 99}},
      {"signs and trailing text", "[MODULE_DV]\r\nD000100=-12,+3,4abc,\r\n", 100, {-12, 3, 4, 99}},
      {"beyond 32 bits saturates", "[MODULE_DV]\r\nD000100=99999999999,-99999999999,\r\n", 100,
       {INT32_MAX, INT32_MIN, 99}},
      {"quoted value", "[MODULE_DV]\r\nD000100=\"8,9,\"\r\n", 100, {8, 9, 99}},
      {"key matched case-insensitively", "[module_dv]\r\nd000100=8,\r\n", 100, {8, 99}},
      {"first duplicate wins", "[MODULE_DV]\r\nD000100=1,\r\nD000100=2,\r\n", 100, {1, 99}},
      {"keys of no group ignored", "[MODULE_DV]\r\nD000101=1,\r\nD100=1,\r\nD0000100=1,\r\n", 100, {99, 99}},
      {"other sections ignored", "[OTHER]\r\nD000100=1,\r\n[MODULE_DV]\r\nD000150=2,\r\n", 100, {99}},
      {"more than 50 fields", "[MODULE_DV]\r\nD000000=" + Repeat("1,", 60) + "\r\n", 49, {1, 99}},
      {"last group holds 21 registers", "[MODULE_DV]\r\nD131050=" + Repeat("3,", 50) + "\r\n", 131069, {3, 3}},
      {"value cut at 1,023 characters", "[MODULE_DV]\r\nD000000=" + std::string(1016, '0') + "1,2,3,4,\r\n", 0,
       {1, 2, 3, 99}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    for (int k = 0; k < 60 && c.first + k < kLargeArea; ++k) image->D[c.first + k] = 99;
    WriteBytes(DataFile(), c.file);
    config::LoadRetentiveRegisters(context);
    for (std::size_t k = 0; k < c.expected.size(); ++k) EXPECT_EQ(image->D[c.first + k], c.expected[k]) << k;
  }
  EXPECT_EQ(image->WrDChk[0], 0);
  EXPECT_EQ(image->LogPrevD[50], 0);
}

TEST_F(RetentiveTest, MissingFileLoadsNothing) {
  image->D[5] = 3;
  config::LoadRetentiveRegisters(context);
  EXPECT_EQ(image->D[5], 3);
}

// What Set_Map saves, a load into a fresh section brings back.
TEST_F(RetentiveTest, SavedGroupsLoadBack) {
  std::mt19937 random(7);
  std::vector<int> groups = {0, 1, 6, 20, 21, 1000, 2620, 2621};
  for (int g : groups)
    for (int k = 0; k < 50 && g * 50 + k < kLargeArea; ++k) image->D[g * 50 + k] = static_cast<int32_t>(random());
  for (int g : groups) config::SetMap(context, "D", g * 50 + 3);
  std::vector<int32_t> saved(image->D, image->D + kLargeArea);
  std::memset(image->D, 0, sizeof image->D);
  config::LoadRetentiveRegisters(context);
  EXPECT_TRUE(std::equal(saved.begin(), saved.end(), image->D));
}

}  // namespace
}  // namespace quorsma::testing
