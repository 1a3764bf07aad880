// The value-change checks of M, B, L, W and D and the mailbox they fill.
#include "config/value_change_log.h"

#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>
#include <string>

#include "support/test_image.h"

namespace quorsma::testing {
namespace {

using Cells = int32_t (Image::*)[131071];
using Comments = char (Image::*)[131071][256];

struct Kind {
  const char* name;
  void (*check)(const Context&, int32_t);
  Cells value, previous, excluded;
  Comments comment;
};

const Kind kKinds[] = {
    {"M", config::CheckM, &Image::M, &Image::LogPrevM, &Image::NoLogM, &Image::CommentM},
    {"B", config::CheckB, &Image::B, &Image::LogPrevB, &Image::NoLogB, &Image::CommentB},
    {"L", config::CheckL, &Image::L, &Image::LogPrevL, &Image::NoLogL, &Image::CommentL},
    {"W", config::CheckW, &Image::W, &Image::LogPrevW, &Image::NoLogW, &Image::CommentW},
};

class ValueChangeLogTest : public ImageTest {
 protected:
  ValueChangeLogTest() {
    image->LogEnable = 1;
    std::snprintf(image->MemParaPath, sizeof image->MemParaPath, "%s", dir.path().string().c_str());
  }
  std::string Line() const { return image->LogLine; }
  std::string DataFile() const { return ReadBytes(dir.File("_DIO_DV.ini")); }
  TempDir dir;
};

TEST_F(ValueChangeLogTest, LineFormats) {
  struct Case {
    int kind;
    int32_t index, previous, value;
    const char* comment;
    const char* line;
  } cases[] = {
      {0, 5, 0, 1, "PUMP", "VC => M[0005]=0 => 1 \t: PUMP"},
      {0, 10000, 1, 0, "", "VC => M[10000]=1 => 0 \t: "},
      {1, 26, 0, 1, "LINK", "VC => B[001A]=0 => 1 \t: LINK"},
      {1, 131070, 0, 1, "", "VC => B[1FFFE]=0 => 1 \t: "},
      {2, 7, 1, 0, "\xB0\xA1", "VC => L[0007]=1 => 0 \t: \xB0\xA1"},
      {3, 255, -3, 70000, "W", "VC => W[00FF]=-3 => 70000 \t: W"},
  };
  for (const Case& c : cases) {
    const Kind& k = kKinds[c.kind];
    SCOPED_TRACE(c.line);
    image->LogLinePending = 0;
    (image.get()->*k.value)[c.index] = c.value;
    (image.get()->*k.previous)[c.index] = c.previous;
    std::snprintf((image.get()->*k.comment)[c.index], 256, "%s", c.comment);
    k.check(context, c.index);
    EXPECT_EQ(Line(), c.line);
    EXPECT_EQ(image->LogLinePending, 1);
    EXPECT_EQ((image.get()->*k.previous)[c.index], c.value);
  }
}

// Each reason to hold a change back leaves everything as it was; once the
// reason is gone, the change is reported from the last logged value.
TEST_F(ValueChangeLogTest, HeldBackChangesAreReportedLater) {
  enum Hold { kPending, kLogOff, kExcluded };
  for (const Kind& k : kKinds) {
    for (Hold hold : {kPending, kLogOff, kExcluded}) {
      SCOPED_TRACE(std::string(k.name) + " hold " + std::to_string(hold));
      std::strcpy(image->LogLine, "taken");
      image->LogLinePending = hold == kPending;
      image->LogEnable = hold != kLogOff;
      (image.get()->*k.excluded)[3] = hold == kExcluded;
      (image.get()->*k.previous)[3] = 4;
      (image.get()->*k.value)[3] = 5;
      k.check(context, 3);
      (image.get()->*k.value)[3] = 6;
      k.check(context, 3);
      EXPECT_EQ(Line(), "taken");
      EXPECT_EQ(image->LogLinePending, hold == kPending ? 1 : 0);
      EXPECT_EQ((image.get()->*k.previous)[3], 4);

      image->LogLinePending = 0;
      image->LogEnable = 1;
      (image.get()->*k.excluded)[3] = 0;
      k.check(context, 3);
      EXPECT_NE(Line().find("]=4 => 6 \t: "), std::string::npos) << Line();
      EXPECT_EQ((image.get()->*k.previous)[3], 6);
    }
  }
}

TEST_F(ValueChangeLogTest, IndicesOutsideTheAreaAreNotTouched) {
  for (const Kind& k : kKinds) {
    for (int32_t i : {-1, 131071, INT32_MIN, INT32_MAX}) {
      k.check(context, i);
      config::CheckD(context, i);
    }
  }
  EXPECT_EQ(image->LogLinePending, 0);
}

TEST_F(ValueChangeLogTest, UnterminatedCommentIsReadToItsEnd) {
  std::memset(image->CommentM[1], 'c', 256);
  std::memset(image->CommentM[2], 'n', 256);  // the next entry must not follow
  image->M[1] = 1;
  config::CheckM(context, 1);
  EXPECT_EQ(Line(), "VC => M[0001]=0 => 1 \t: " + std::string(256, 'c'));
}

TEST_F(ValueChangeLogTest, DataRegisterSavedAndLogged) {
  image->D[2000] = 5;
  std::snprintf(image->CommentD[2000], 256, "TEMP");
  config::CheckD(context, 2000);
  EXPECT_EQ(Line(), "VC => D[2000]=0 => 5 \t: TEMP");
  EXPECT_EQ(image->LogLinePending, 1);
  EXPECT_EQ(image->LogPrevD[2000], 5);
  EXPECT_NE(DataFile().find("D002000=5,0,"), std::string::npos);
}

TEST_F(ValueChangeLogTest, LoggingOffSavesOnlyTheAlwaysRetentiveRegisters) {
  image->LogEnable = 0;
  image->D[500] = 1;
  image->D[2000] = 2;
  config::CheckD(context, 2000);
  EXPECT_EQ(DataFile(), "");
  EXPECT_EQ(image->LogPrevD[2000], 0);
  config::CheckD(context, 500);
  EXPECT_EQ(Line(), "VC => D[0500]=0 => 1 \t: ");
  EXPECT_EQ(image->LogPrevD[500], 1);
  EXPECT_NE(DataFile().find("D000500=1,"), std::string::npos);

  // Switched on, the held-back change is saved at its next check.
  image->LogEnable = 1;
  image->LogLinePending = 0;
  config::CheckD(context, 2000);
  EXPECT_EQ(Line(), "VC => D[2000]=0 => 2 \t: ");
  EXPECT_NE(DataFile().find("D002000=2,"), std::string::npos);
}

TEST_F(ValueChangeLogTest, AlwaysRetentiveRangeBounds) {
  struct Case {
    int32_t index;
    const char* key;  // of its group
    bool saved;
  } cases[] = {{299, "D000250=", false}, {300, "D000300=", true}, {1099, "D001050=", true}, {1100, "D001100=", false}};
  image->LogEnable = 0;
  image->LogLinePending = 1;
  for (const Case& c : cases) {
    SCOPED_TRACE(c.index);
    image->D[c.index] = 8;
    config::CheckD(context, c.index);
    EXPECT_EQ(DataFile().find(c.key) != std::string::npos, c.saved);
  }
}

// While a line is pending, D300..D1099 are still saved, but their last logged
// value stays, so their line comes once the slot is free; the group is not
// written again while it holds the same values.  Logging on, any D is saved.
TEST_F(ValueChangeLogTest, PendingLineDelaysTheLineNotTheSave) {
  std::strcpy(image->LogLine, "VC => M[0001]=0 => 1 \t: ");
  image->LogLinePending = 1;
  image->D[700] = 3;
  image->D[5000] = 3;
  config::CheckD(context, 700);
  config::CheckD(context, 5000);
  EXPECT_EQ(Line(), "VC => M[0001]=0 => 1 \t: ");
  EXPECT_EQ(image->LogPrevD[700], 0);
  EXPECT_NE(DataFile().find("D000700=3,"), std::string::npos);
  EXPECT_NE(DataFile().find("D005000=3,"), std::string::npos);

  const auto saved_at = std::filesystem::last_write_time(dir.File("_DIO_DV.ini"));
  for (int k = 0; k < 3; ++k) config::CheckD(context, 700);
  EXPECT_EQ(std::filesystem::last_write_time(dir.File("_DIO_DV.ini")), saved_at);

  image->LogLinePending = 0;
  config::CheckD(context, 700);
  EXPECT_EQ(Line(), "VC => D[0700]=0 => 3 \t: ");
  EXPECT_EQ(image->LogPrevD[700], 3);
}

TEST_F(ValueChangeLogTest, ExcludedDataRegisterIsNeitherLoggedNorSaved) {
  image->NoLogD[500] = 1;
  image->D[500] = 9;
  config::CheckD(context, 500);
  EXPECT_EQ(image->LogLinePending, 0);
  EXPECT_EQ(image->LogPrevD[500], 0);
  EXPECT_EQ(DataFile(), "");
}

}  // namespace
}  // namespace quorsma::testing
