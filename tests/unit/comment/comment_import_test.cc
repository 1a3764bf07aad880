#include <gtest/gtest.h>

#include "comment/comment_modify.h"
#include "unit/comment/comment_test_support.h"

namespace quorsma::testing {
namespace {

using comment::ImportComments;
using comment::ModifyMemoryCommentFromFile;

class CommentImportTest : public CommentTest {
 protected:
  void Import(const std::string& content) { ImportComments(context, content.data(), content.size()); }
  static std::string Box(const std::string& key, const std::string& comment) {
    return "smModifyMemoryComment_FromFile Error " + key + " " + comment;
  }
};

TEST_F(CommentImportTest, KeysNameTheDeviceAndItsNumber) {
  struct Case {
    const char* line;
    char* entry;
    const char* text;
  };
  const Case cases[] = {
      {"M10 = Motor on", image->CommentM[10], "Motor on"},
      {"X1F=Start", image->CommentX[31], "Start"},
      {"Y0x10=hex prefix", image->CommentY[16], "hex     prefix"},
      {"B 1a=spaced", image->CommentB[26], "spaced"},
      {"W7FFF=w", image->CommentW[0x7FFF], "w"},
      {"SM400=Run", image->CommentSM[400], "Run"},
      {"S10=Step", image->CommentS[10], "Step"},
      {"D100=speed", image->CommentD[100], "speed"},
      {"T5=t", image->CommentT[5], "t"},
      {"L+7=l", image->CommentL[7], "l"},
      {"R12x=r", image->CommentR[12], "r"},            // reading stops at the first non-digit
      {"M=zero", image->CommentM[0], "zero"},          // no number text: entry 0
      {"AD3=analog in", image->CommentAD[3], "analogin"},
      {"DA4=analog out", image->CommentDA[4], "analog  out"},
      {"D131070=last", image->CommentD[131070], "last"},
      {"M11=a=b", image->CommentM[11], "a=b"},        // the first "=" splits
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.line);
    Import(c.line);
    EXPECT_EQ(EntryText(c.entry), c.text);
  }
  EXPECT_TRUE(env.messages.empty());
  EXPECT_EQ(image->CommentD[0][0], '\0');  // DA4 did not become D0
}

TEST_F(CommentImportTest, SegmentsEndAtLineEndsQuotesAndNul) {
  using namespace std::string_literals;
  Import("[COMMENT]\r\nM1=one\nM2=two\rM3=\"quoted\"\nX1F=\"Start\"\n=no key\nno equals\nM4=four\0M5=five"s);
  EXPECT_EQ(EntryText(image->CommentM[1]), "one");
  EXPECT_EQ(EntryText(image->CommentM[2]), "two");
  EXPECT_EQ(EntryText(image->CommentM[3]), "");  // the quote ends the segment
  EXPECT_EQ(EntryText(image->CommentX[31]), "");
  EXPECT_EQ(EntryText(image->CommentM[4]), "four");
  EXPECT_EQ(EntryText(image->CommentM[5]), "five");
  EXPECT_TRUE(env.messages.empty());
}

TEST_F(CommentImportTest, LaidOutTextReplacesOnlyTheStartOfTheEntry) {
  std::memset(image->CommentY[16], 'o', 256);
  Import("Y10=");
  EXPECT_EQ(image->CommentY[16][0], '\0');  // no comment any more
  EXPECT_EQ(image->CommentY[16][1], 'o');
  Import("D100=first\nD100=ABCDEFGHIJ KL");
  EXPECT_EQ(EntryText(image->CommentD[100]), "ABCDEFGHIJ      KL");
}

TEST_F(CommentImportTest, KeysWithoutAnAreaAndNumbersOutsideItAreReported) {
  Import("U0\\G10=abc\nZR5=abc\nm5=abc\n X1=abc\nM-1=neg\nM131071=over\nX99999999999999999999=big\n   =blank\n"
         "Q1=  AB CD \nM1 = %s%n%s");
  EXPECT_EQ(env.messages, (std::vector<std::string>{Box("MEM_U", "abc"), Box("MEM_Z", "abc"), Box("MEM_m", "abc"),
                                                    Box("MEM_ ", "abc"), Box("MEM_M", "neg"), Box("MEM_M", "over"),
                                                    Box("MEM_X", "big"), Box("MEM_", "blank"),
                                                    Box("MEM_Q", "AB CD   ")}));  // the laid-out comment
  EXPECT_EQ(EntryText(image->CommentM[1]), "%s%n%s");
  EXPECT_EQ(image->CommentM[5][0], '\0');
}

TEST_F(CommentImportTest, LongSegmentsAreTakenWhole) {
  const std::string line = "M2=" + std::string(300, 'a') + " b";
  Import(line + "\n" + std::string(400, ' ') + "M3=x\nM4" + std::string(300, ' ') + "=y");
  EXPECT_EQ(EntryText(image->CommentM[2]), std::string(32, 'a'));
  EXPECT_EQ(EntryText(image->CommentM[4]), "y");
  EXPECT_EQ(env.messages, std::vector<std::string>{Box("MEM_ ", "x")});
}

TEST_F(CommentImportTest, FileImportRewritesTheCommentFileOnce) {
  const std::string path = project.File("import.txt");
  WriteBytes(path, "M10=Motor\nZ1=bad\n");
  EXPECT_EQ(ModifyMemoryCommentFromFile(context, path.c_str()), 1);
  EXPECT_EQ(EntryText(image->CommentM[10]), "Motor");
  ParsedWcd parsed = ParseWcd(ReadWcd());
  ASSERT_EQ(parsed.records.size(), 1u);
  EXPECT_EQ(parsed.records[0].first, 10);

  // An empty file still rewrites the comment file.
  std::filesystem::remove(wcd_path());
  WriteBytes(path, "");
  EXPECT_EQ(ModifyMemoryCommentFromFile(context, path.c_str()), 1);
  EXPECT_TRUE(std::filesystem::exists(wcd_path()));
}

TEST_F(CommentImportTest, UnreadableImportFileTracesItsPathAndChangesNothing) {
  const std::string path = project.File("absent.txt");
  EXPECT_EQ(ModifyMemoryCommentFromFile(context, path.c_str()), 0);
  EXPECT_EQ(env.traces, std::vector<std::string>{path + " \xC6\xC4\xC0\xCF\xC0\xBB \xBF\xAD \xBC\xF6 "
                                                        "\xBE\xF8\xBD\xC0\xB4\xCF\xB4\xD9.\r\n"});
  EXPECT_FALSE(std::filesystem::exists(wcd_path()));
  EXPECT_EQ(ModifyMemoryCommentFromFile(context, nullptr), 0);
}

}  // namespace
}  // namespace quorsma::testing
