#include "comment/comment_loader.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "unit/comment/comment_test_support.h"

namespace quorsma::testing {
namespace {

using comment::LoadMemoryComment;

class CommentLoaderTest : public CommentTest {
 protected:
  void Load(const std::string& file) {
    WriteBytes(wcd_path(), file);
    EXPECT_EQ(LoadMemoryComment(context), 0);
  }
  std::string Listing() const { return ReadBytes(listing_path()); }
};

TEST_F(CommentLoaderTest, EmptyFileLoadsNothingAndWritesEmptyListing) {
  WriteBytes(listing_path(), "old listing");
  Load(BuildWcd({}));
  EXPECT_TRUE(std::filesystem::exists(listing_path()));
  EXPECT_EQ(Listing(), "");
  EXPECT_TRUE(env.traces.empty());
}

TEST_F(CommentLoaderTest, EveryDeviceCodeReachesItsAreaWithItsListingName) {
  struct Case {
    uint16_t code;
    uint16_t first;
    uint16_t unit;
    char* entry;
    const char* line;
  };
  const Case cases[] = {
      {0x0090, 12, 0, image->CommentM[12], "M000012=m"},
      {0x0091, 400, 0, image->CommentSM[400], "SM000400=m"},
      {0x0092, 7, 0, image->CommentL[7], "L000007=m"},
      {0x009C, 0x1E, 0, image->CommentX[30], "X00001E=m"},
      {0x009D, 0xAB, 0, image->CommentY[0xAB], "Y0000AB=m"},
      {0x00A0, 0x10, 0, image->CommentB[16], "B000010=m"},
      {0x00A8, 100, 0, image->CommentD[100], "D000100=m"},
      {0x00AF, 9, 0, image->CommentR[9], "R000009=m"},
      {0x00B4, 0xFF, 0, image->CommentW[255], "W0000FF=m"},
      {0x00C2, 3, 0, image->CommentT[3], "T000003=m"},
      {0xF8AB, 7, 3, image->CommentU[3][7], "U3G000007=m"},
      {0xF8AB, 1010, 0, image->CommentU[2][10], "U0G001010=m"},
      {0xF8AB, 12500, 0, image->CommentTMP[0], "U0G012500=m"},
      {0x00A9, 5, 0, image->CommentTMP[5], "TMP000005=m"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.line);
    Load(BuildWcd({{c.code, c.first, c.unit, {"m"}}}));
    EXPECT_EQ(EntryText(c.entry), "m");
    EXPECT_EQ(Listing(), std::string(c.line) + "\r\n");
    c.entry[0] = '\0';
  }
}

TEST_F(CommentLoaderTest, BlocksCoverConsecutiveNumbersAndTextsFollowInFileOrder) {
  Load(BuildWcd({{0x009C, 0x1E, 0, {"start", "stop"}}, {0x00A8, 100, 0, {"speed"}}}));
  EXPECT_EQ(EntryText(image->CommentX[30]), "start");
  EXPECT_EQ(EntryText(image->CommentX[31]), "stop");
  EXPECT_EQ(EntryText(image->CommentD[100]), "speed");
  EXPECT_EQ(Listing(), "X00001E=start\r\nX00001F=stop\r\nD000100=speed\r\n");
}

TEST_F(CommentLoaderTest, OnlyTheFirst32BytesOfAnEntryChange) {
  SetEntry(image->CommentM[1], std::string(40, 'o'));  // longer text held before
  SetEntry(image->CommentM[2], std::string(40, 'o'));
  Load(BuildWcd({{0x0090, 1, 0, {std::string(32, 'n'), "short"}}}));
  // 32 bytes without a NUL: the older bytes from 32 on continue the text.
  EXPECT_EQ(EntryText(image->CommentM[1]), std::string(32, 'n') + std::string(8, 'o'));
  // A shorter text ends at its NUL; the bytes after it stay.
  EXPECT_EQ(EntryText(image->CommentM[2]), "short");
  EXPECT_EQ(image->CommentM[2][32], 'o');
  EXPECT_EQ(Listing(), "M000001=" + std::string(32, 'n') + std::string(8, 'o') + "\r\nM000002=short\r\n");
}

TEST_F(CommentLoaderTest, LaterBlockWinsForTheSameEntry) {
  Load(BuildWcd({{0x00A9, 4, 0, {"first"}}, {0x00AA, 4, 0, {"second"}}}));
  EXPECT_EQ(EntryText(image->CommentTMP[4]), "second");
  EXPECT_EQ(Listing(), "TMP000004=first\r\nTMP000004=second\r\n");
}

TEST_F(CommentLoaderTest, TextsAreFoundByTheTextBase) {
  // A text base larger than the block records need: the texts sit later.
  std::string file = BuildWcd({{0x0090, 3, 0, {"abc"}}});
  PutWord(&file, 0x40, 20 + 40);  // one unused record's worth of bytes
  file.insert(74 + 10, std::string(40, '\0'));
  Load(file);
  EXPECT_EQ(EntryText(image->CommentM[3]), "abc");
}

TEST_F(CommentLoaderTest, MissingFileTracesAndChangesNothing) {
  WriteBytes(listing_path(), "kept");
  EXPECT_EQ(LoadMemoryComment(context), 0);
  EXPECT_EQ(env.traces, std::vector<std::string>{"NO FILE - COMMENT"});
  EXPECT_EQ(Listing(), "kept");
}

TEST_F(CommentLoaderTest, WithoutAProjectDirectoryNothingIsRead) {
  image->MemPlcPath[0] = '\0';
  EXPECT_EQ(LoadMemoryComment(context), 0);
  EXPECT_EQ(env.traces, std::vector<std::string>{"NO FILE - COMMENT"});
}

TEST_F(CommentLoaderTest, UnwritableListingIsReportedAndCommentsStillLoad) {
  std::filesystem::create_directories(listing_path());  // a directory in its place
  Load(BuildWcd({{0x0090, 1, 0, {"abc"}}}));
  ASSERT_EQ(env.traces.size(), 2u);
  EXPECT_EQ(env.traces[0], "NO FILE - MEMORY");
  EXPECT_NE(env.traces[1].find("MEMORY.TXT"), std::string::npos);
  EXPECT_STREQ(image->CommentM[1], "abc");
}

TEST_F(CommentLoaderTest, ListingKeepsEveryCommentOnItsLine) {
  Load(BuildWcd({{0x0090, 1, 0, {"a\r\nM000009=forged", "\x1B[2Jb\x7F"}}}));
  EXPECT_EQ(ReadBytes(listing_path()), "M000001=a\\x0D\\x0AM000009=forged\r\nM000002=\\x1B[2Jb\\x7F\r\n");
  EXPECT_STREQ(image->CommentM[1], "a\r\nM000009=forged");
}

TEST_F(CommentLoaderTest, TruncatedFileLoadsUpToItsLastCompleteText) {
  const std::string whole = BuildWcd({{0x0090, 1, 0, {"one", "two"}}, {0x00A8, 5, 0, {"three"}}});
  struct Case {
    std::size_t size;
    std::vector<std::string> m;  // expected M1, M2
    std::string d5;
  };
  const std::size_t texts = 74 + 20 + 8;  // text field of text 0
  const Case cases[] = {
      {whole.size(), {"one", "two"}, "three"},
      {whole.size() - 1, {"one", "two"}, ""},        // last text one byte short
      {texts + 40 + 32, {"one", "two"}, ""},         // exactly two texts
      {texts + 31, {"", ""}, ""},                    // first text incomplete
      {74 + 15, {"", ""}, ""},                       // second block record cut
      {74 + 5, {"", ""}, ""},                        // first block record cut
      {73, {"", ""}, ""},                            // header cut
      {0, {"", ""}, ""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.size);
    for (char* e : {image->CommentM[1], image->CommentM[2], image->CommentD[5]}) std::memset(e, 0, 256);
    Load(whole.substr(0, c.size));
    EXPECT_EQ(EntryText(image->CommentM[1]), c.m[0]);
    EXPECT_EQ(EntryText(image->CommentM[2]), c.m[1]);
    EXPECT_EQ(EntryText(image->CommentD[5]), c.d5);
    EXPECT_TRUE(env.traces.empty());
  }
}

TEST_F(CommentLoaderTest, HugeCountsInATinyFileStopAtItsEnd) {
  std::string file = BuildWcd({{0xF8AB, 65535, 65535, {"a"}}});
  PutWord(&file, 74 + 6, 65535);   // count
  PutWord(&file, 0x48, 65535);     // N
  Load(file);                      // must neither crash nor read past the file
  EXPECT_EQ(Listing(), "");        // unit 65535 lies past CommentTMP
}

TEST_F(CommentLoaderTest, UnitBlocksPastCommentTmpAreSkippedAndLaterTextsStayInPlace) {
  // Unit 263: run 263 * 500 + 12070 = 143570 is the last entry of CommentTMP,
  // the next run number lies past it.  The M text after it is still its own.
  Load(BuildWcd({{0xF8AB, 12070, 263, {"last", "beyond"}}, {0x0090, 9, 0, {"m9"}}}));
  EXPECT_EQ(EntryText(image->CommentTMP[131070]), "last");
  EXPECT_EQ(EntryText(image->CommentM[9]), "m9");
  EXPECT_EQ(Listing(), "U263G012070=last\r\nM000009=m9\r\n");
}

#if !defined(_WIN32)
TEST_F(CommentLoaderTest, EmptyTextsDoNotBringNeverWrittenPagesIntoBeing) {
  SectionEnv section_env;
  TestSection section(section_env, "comment_load");
  Image* shared = section.image();
  ASSERT_NE(shared, nullptr);
  std::strcpy(shared->MemPlcPath, image->MemPlcPath);
  SetEntry(shared->CommentM[65600], std::string(40, 'o'));
  // 4,000 empty texts and one comment, as a rewrite keeps them above 65,535;
  // an entry set and then emptied by the same file; an empty text over a
  // written entry.
  WcdBlock tail{0x0090, 65535, 0, std::vector<std::string>(4000)};
  tail.texts.back() = "x";
  tail.texts[65600 - 65535] = "";
  WriteBytes(wcd_path(), BuildWcd({tail, {0x0092, 10, 0, {"abc"}}, {0x0092, 10, 0, {""}}}));
  const std::size_t before = section.Allocated();
  Context shared_context{shared, &section_env};
  LoadMemoryComment(shared_context);
  EXPECT_LT(section.Allocated() - before, 64u * 1024);  // not 4,000 entries' worth (1 MB)
  EXPECT_EQ(EntryText(shared->CommentM[65535 + 3999]), "x");
  EXPECT_EQ(shared->CommentM[65600][0], '\0');
  EXPECT_EQ(shared->CommentM[65600][32], 'o');
  EXPECT_EQ(shared->CommentL[10][0], '\0');
  EXPECT_EQ(shared->CommentL[10][1], '\0');
}
#endif

}  // namespace
}  // namespace quorsma::testing
