#include "comment/comment_modify.h"

#include <gtest/gtest.h>

#include <cstdint>

#include "unit/comment/comment_test_support.h"

namespace quorsma::testing {
namespace {

using comment::ModifyMemoryComment;

class CommentModifyTest : public CommentTest {};

TEST_F(CommentModifyTest, EveryKindReachesItsAreaAndOnlyFileKindsAreSaved) {
  struct Case {
    const char* kind;
    char (*area)[256];
    bool saved;
  };
  const Case cases[] = {
      {"M", image->CommentM, true},   {"D", image->CommentD, true},   {"B", image->CommentB, true},
      {"T", image->CommentT, true},   {"X", image->CommentX, true},   {"Y", image->CommentY, true},
      {"AD", image->CommentAD, false}, {"DA", image->CommentDA, false}, {"SM", image->CommentSM, true},
      {"S", image->CommentS, false},  {"L", image->CommentL, true},   {"R", image->CommentR, true},
      {"W", image->CommentW, true},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.kind);
    const std::string text = std::string("comment of ") + c.kind;
    ASSERT_EQ(ModifyMemoryComment(context, c.kind, 31, text.c_str()), 1);
    EXPECT_EQ(EntryText(c.area[31]), text);
    ParsedWcd parsed = ParseWcd(ReadWcd());
    ASSERT_TRUE(parsed.complete);
    EXPECT_EQ(parsed.records.size(), c.saved ? 1u : 0u);
    if (c.saved) {
      EXPECT_EQ(parsed.records[0].first, 31);
    }
    c.area[31][0] = '\0';
  }
}

TEST_F(CommentModifyTest, UnknownKindsShowTwoBoxesAndChangeNothing) {
  for (const char* kind : {"m", "ZR", "", "U", "TMP", "MM"}) {
    SCOPED_TRACE(kind);
    env.Clear();
    EXPECT_EQ(ModifyMemoryComment(context, kind, 1, "%s%n text"), 0);
    EXPECT_EQ(env.messages, (std::vector<std::string>{"BOOL WINAPI smModifyMemoryComment(ON SMA)", "%s%n text"}));
  }
  EXPECT_FALSE(std::filesystem::exists(wcd_path()));
}

TEST_F(CommentModifyTest, NumbersOutsideTheAreaAreRefused) {
  for (int32_t number : {-1, 131071, INT32_MIN, INT32_MAX}) {
    EXPECT_EQ(ModifyMemoryComment(context, "M", number, "x"), 0) << number;
  }
  EXPECT_TRUE(env.messages.empty());
  EXPECT_FALSE(std::filesystem::exists(wcd_path()));
  EXPECT_EQ(ModifyMemoryComment(context, "M", 131070, "last"), 1);
  EXPECT_EQ(EntryText(image->CommentM[131070]), "last");
}

TEST_F(CommentModifyTest, TheEntryIsClearedAndTakesAtMost255Bytes) {
  std::memset(image->CommentD[7], 'o', 256);
  ASSERT_EQ(ModifyMemoryComment(context, "D", 7, std::string(300, 'n').c_str()), 1);
  EXPECT_EQ(EntryText(image->CommentD[7]), std::string(255, 'n'));
  ASSERT_EQ(ModifyMemoryComment(context, "D", 7, "short"), 1);
  EXPECT_EQ(EntryText(image->CommentD[7]), "short");
  EXPECT_EQ(std::string(image->CommentD[7] + 5, 251), std::string(251, '\0'));
  // Only the first 32 bytes reach the file.
  ASSERT_EQ(ModifyMemoryComment(context, "D", 7, std::string(40, 'k').c_str()), 1);
  EXPECT_EQ(ParseWcd(ReadWcd()).texts.at(0), std::string(8, ' ') + std::string(32, 'k'));
  // An empty text removes the comment from the file.
  ASSERT_EQ(ModifyMemoryComment(context, "D", 7, ""), 1);
  EXPECT_EQ(image->CommentD[7][0], '\0');
  EXPECT_TRUE(ParseWcd(ReadWcd()).records.empty());
}

TEST_F(CommentModifyTest, NullTextsAndAFailedRewriteGiveFalse) {
  EXPECT_EQ(ModifyMemoryComment(context, nullptr, 1, "x"), 0);
  EXPECT_EQ(ModifyMemoryComment(context, "M", 1, nullptr), 0);
  EXPECT_EQ(image->CommentM[1][0], '\0');
  std::strcpy(image->MemPlcPath, project.File("missing").c_str());
  EXPECT_EQ(ModifyMemoryComment(context, "M", 1, "kept in the segment"), 0);
  EXPECT_EQ(EntryText(image->CommentM[1]), "kept in the segment");
}

}  // namespace
}  // namespace quorsma::testing
