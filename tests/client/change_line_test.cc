// Value-change lines: parsed as the library writes them, and taken from the
// mailbox with the parse in the same step.
#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "quorsma/client.h"

namespace {

struct LineCase {
  const char* line;
  int32_t parsed;
  const char* kind;
  int64_t number;
  int32_t old_value;
  int32_t new_value;
  const char* comment;
};

const LineCase kLines[] = {
    {"VC => M[0005]=0 => 1 \t: PUMP", 1, "M", 5, 0, 1, "PUMP"},
    {"VC => W[01AF]=-3 => 2147483647 \t: ", 1, "W", 0x1AF, -3, 2147483647, ""},
    {"VC => D[131070]=-2147483648 => 0 \t: \xB9\xB0", 1, "D", 131070, INT32_MIN, 0, "\xB9\xB0"},
    {"VC => X[0005]=0 => 1 \t: not a logged kind", 0, "", 0, 0, 0, ""},
    {"VC => D[12]=0 => 99999999999 \t: too wide", 0, "", 0, 0, 0, ""},
    {"VC => D[12]=0 => 1 : no tab", 0, "", 0, 0, 0, ""},
    {"something else", 0, "", 0, 0, 0, ""},
};

TEST(ChangeLineTest, ParsesTheLibrarysLinesAndKeepsOthersWhole) {
  for (const LineCase& c : kLines) {
    SCOPED_TRACE(c.line);
    qsc_change change;
    qsc_change_parse(c.line, std::strlen(c.line), &change);
    EXPECT_EQ(change.parsed, c.parsed);
    EXPECT_STREQ(change.line, c.line) << "the line is kept whatever its form";
    if (!c.parsed) continue;
    EXPECT_STREQ(change.kind, c.kind);
    EXPECT_EQ(change.number, c.number);
    EXPECT_EQ(change.old_value, c.old_value);
    EXPECT_EQ(change.new_value, c.new_value);
    EXPECT_STREQ(change.comment, c.comment);
  }
}

TEST(ChangeLineTest, TakeHandsOverTheLineAndFreesTheMailbox) {
  MH_SHARED_STRUCTURE* image = nullptr;
  smGetMemoryPointer(&image);
  ASSERT_NE(image, nullptr);
  qsc_change change;
  image->LogLinePending = 0;
  EXPECT_EQ(qsc_change_take(image, &change), QSC_NO_LINE);
  const char* line = "VC => B[001F]=1 => 0 \t: GATE";
  std::memcpy(image->LogLine, line, std::strlen(line) + 1);
  image->LogLinePending = 1;
  ASSERT_EQ(qsc_change_take(image, &change), QSC_OK);
  EXPECT_EQ(image->LogLinePending, 0);
  EXPECT_TRUE(change.parsed);
  EXPECT_EQ(change.number, 0x1F);
  EXPECT_GT(change.taken_us, 0);
  EXPECT_EQ(qsc_change_take(image, &change), QSC_NO_LINE);
}

}  // namespace
