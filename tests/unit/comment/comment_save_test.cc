#include "comment/comment_save.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "comment/comment_loader.h"
#include "core/messages.h"
#include "unit/comment/comment_test_support.h"


namespace quorsma::testing {
namespace {

using comment::LoadMemoryComment;
using comment::SaveMemoryComment;

std::string Record(uint16_t code, uint16_t first, uint16_t unit, uint16_t count) {
  std::string r;
  for (uint16_t w : {code, first, unit, count, uint16_t{0}}) PutWord(&r, r.size(), w);
  return r;
}

// prefix + number (built without operator+, which trips a false warning).
std::string Named(const char* prefix, int i) {
  std::string s = prefix;
  s += std::to_string(i);
  return s;
}

std::string TextRecord(const std::string& first32) { return std::string(8, ' ') + first32; }

class CommentSaveTest : public CommentTest {
 protected:
  std::string ProjectFile(const char* name) const { return ReadBytes(project.File(name)); }

  // Saves, loads the file into a fresh image and checks that every comment
  // area reads the same there (texts of at most 31 bytes in `image`).
  void ExpectRoundTrip() {
    ASSERT_EQ(SaveMemoryComment(context), 1);
    ParsedWcd parsed = ParseWcd(ReadWcd());
    ASSERT_TRUE(parsed.complete);
    EXPECT_LE(parsed.records.size(), 6552u);
    TestImage fresh;
    std::strncpy(fresh->MemPlcPath, image->MemPlcPath, sizeof fresh->MemPlcPath);
    Context other{fresh.get(), &env};
    LoadMemoryComment(other);
    struct Area {
      const char* name;
      const void* a;
      const void* b;
      std::size_t bytes;
    };
    const std::size_t area = sizeof image->CommentM;
    const Area areas[] = {
        {"M", image->CommentM, fresh->CommentM, area},    {"SM", image->CommentSM, fresh->CommentSM, area},
        {"L", image->CommentL, fresh->CommentL, area},    {"X", image->CommentX, fresh->CommentX, area},
        {"Y", image->CommentY, fresh->CommentY, area},    {"B", image->CommentB, fresh->CommentB, area},
        {"D", image->CommentD, fresh->CommentD, area},    {"R", image->CommentR, fresh->CommentR, area},
        {"W", image->CommentW, fresh->CommentW, area},    {"T", image->CommentT, fresh->CommentT, area},
        {"U", image->CommentU, fresh->CommentU, sizeof image->CommentU},
        {"TMP", image->CommentTMP, fresh->CommentTMP, 118571 * 256},
    };
    for (const Area& a : areas) EXPECT_EQ(std::memcmp(a.a, a.b, a.bytes), 0) << a.name;
  }
};

TEST_F(CommentSaveTest, NoCommentsGiveABareHeaderAndAMissingFileIsReportedOnce) {
  EXPECT_EQ(SaveMemoryComment(context), 1);
  ASSERT_EQ(env.messages.size(), 1u);
  EXPECT_EQ(env.messages[0], wcd_path() + " \xBB\xF5\xB7\xCE\xBF\xEE \xC6\xC4\xC0\xCF\xC0\xBB \xBB\xFD\xBC\xBA\xC7\xD8"
                                          "\xBE\xDF\xC7\xD5\xB4\xCF\xB4\xD9.");
  std::string expected;
  for (int w = 0; w < 37; ++w) PutWord(&expected, expected.size(), w == 32 ? 10 : w == 36 ? 0 : 0xFFFF);
  EXPECT_EQ(ReadWcd(), expected);
  EXPECT_TRUE(std::filesystem::exists(project.File("PLC_S")));
  EXPECT_EQ(ProjectFile("PLC_S"), "");
  EXPECT_EQ(ProjectFile("PLC_F"), "");

  env.Clear();
  EXPECT_EQ(SaveMemoryComment(context), 1);
  EXPECT_TRUE(env.messages.empty());
}

TEST_F(CommentSaveTest, HeaderWordsAreCarriedOverExceptTextBaseAndCount) {
  struct Case {
    std::size_t existing_size;  // bytes of the existing header
    std::size_t readable_words;
  };
  for (const Case c : {Case{74, 37}, Case{41, 20}, Case{42, 21}, Case{1, 0}}) {
    SCOPED_TRACE(c.existing_size);
    std::string existing;
    for (int w = 0; w < 37; ++w) PutWord(&existing, existing.size(), 0x0100 + w);
    WriteBytes(wcd_path(), existing.substr(0, c.existing_size));
    SetEntry(image->CommentM[1], "a");
    ASSERT_EQ(SaveMemoryComment(context), 1);
    ParsedWcd parsed = ParseWcd(ReadWcd());
    ASSERT_EQ(parsed.header.size(), 37u);
    for (std::size_t w = 0; w < 37; ++w) {
      uint16_t want = w < c.readable_words ? static_cast<uint16_t>(0x0100 + w) : 0xFFFF;
      if (w == 32) want = 20;
      if (w == 36) want = 1;
      EXPECT_EQ(parsed.header[w], want) << "word " << w;
    }
  }
  EXPECT_TRUE(env.messages.empty());
}

TEST_F(CommentSaveTest, RunsOfOccupiedEntriesBecomeBlocksInPassOrder) {
  for (int i : {5, 6, 7, 9}) SetEntry(image->CommentM[i], Named("m", i));
  SetEntry(image->CommentT[0], "t0");
  SetEntry(image->CommentX[3], "x3");
  SetEntry(image->CommentSM[1], "sm1");
  SetEntry(image->CommentM[131070], "");  // empty: not occupied
  WriteBytes(listing_path(), "kept");
  ASSERT_EQ(SaveMemoryComment(context), 1);
  EXPECT_EQ(ReadBytes(listing_path()), "kept");  // the listing is the load's alone

  const std::string blocks = Record(0x90, 5, 0, 3) + Record(0x90, 9, 0, 1) + Record(0x91, 1, 0, 1) +
                             Record(0x9C, 3, 0, 1) + Record(0xC2, 0, 0, 1);
  std::string texts;
  for (const char* t : {"m5", "m6", "m7", "m9", "sm1", "x3", "t0"}) texts += TextRecord(Text32(t));
  EXPECT_EQ(ProjectFile("PLC_S"), blocks);
  EXPECT_EQ(ProjectFile("PLC_F"), texts);
  const std::string file = ReadWcd();
  ASSERT_EQ(file.size(), 74 + blocks.size() + texts.size());
  EXPECT_EQ(GetWord(file, 0x40), 60);
  EXPECT_EQ(GetWord(file, 0x48), 5);
  EXPECT_EQ(file.substr(74), blocks + texts);
}

TEST_F(CommentSaveTest, TextRecordsHoldTheFirst32BytesAsTheyStand) {
  SetEntry(image->CommentD[1], std::string(40, 'L'));
  SetEntry(image->CommentD[2], "ab");
  image->CommentD[2][3] = 'z';  // after the NUL, within 32 bytes
  image->CommentD[2][40] = 'q';  // beyond 32 bytes
  ASSERT_EQ(SaveMemoryComment(context), 1);
  std::string second(32, '\0');
  second[0] = 'a';
  second[1] = 'b';
  second[3] = 'z';
  EXPECT_EQ(ProjectFile("PLC_F"), TextRecord(std::string(32, 'L')) + TextRecord(second));
}

TEST_F(CommentSaveTest, UnitAndOtherCommentsAreSavedAsOneRunOfUnitZero) {
  SetEntry(image->CommentU[2][10], "u");
  SetEntry(image->CommentTMP[7], "tmp");
  SetEntry(image->CommentTMP[118571], "beyond the run");
  SetEntry(image->CommentS[1], "s");
  SetEntry(image->CommentAD[1], "ad");
  SetEntry(image->CommentDA[1], "da");
  ASSERT_EQ(SaveMemoryComment(context), 1);
  EXPECT_EQ(ProjectFile("PLC_S"), Record(0xF8AB, 1010, 0, 1) + Record(0xF8AB, 12507, 0, 1));
  EXPECT_EQ(ProjectFile("PLC_F"), TextRecord(Text32("u")) + TextRecord(Text32("tmp")));
}

TEST_F(CommentSaveTest, SavedCommentsLoadBackIntoTheirEntries) {
  SetEntry(image->CommentM[100], "motor");
  SetEntry(image->CommentX[31], "start");
  SetEntry(image->CommentU[24][499], "last unit word");
  SetEntry(image->CommentTMP[0], "tmp 0");
  for (int i = 65530; i <= 65540; ++i) SetEntry(image->CommentD[i], Named("d", i));  // one block
  ExpectRoundTrip();
  // M, X, D, and one unit-run block: unit 24 word 499 and CommentTMP[0] are
  // neighbours in the run.
  EXPECT_EQ(ParseWcd(ReadWcd()).records.size(), 4u);
}

// Numbers the 16-bit fields of a record cannot carry as they stand.
TEST_F(CommentSaveTest, EntriesAbove65535LoadBackUnderTheirOwnNumbers) {
  SetEntry(image->CommentM[3], "low");
  SetEntry(image->CommentM[70000], "high");
  SetEntry(image->CommentM[131069], "highest");
  for (int i = 60000; i < 70000; ++i) SetEntry(image->CommentW[i], "w");  // crosses 65535
  SetEntry(image->CommentTMP[118570], "run 131070");
  for (int i = 50000; i < 60000; ++i) SetEntry(image->CommentTMP[i], "t");  // runs 62500..72499
  ExpectRoundTrip();
  // M: (3), then one block from 65535 to 131069.
  ParsedWcd parsed = ParseWcd(ReadWcd());
  ASSERT_GE(parsed.records.size(), 2u);
  EXPECT_EQ(parsed.records[0].first, 3);
  EXPECT_EQ(parsed.records[1].first, 65535);
  EXPECT_EQ(parsed.records[1].count, 65535);
}

TEST_F(CommentSaveTest, ABlockOfEveryEntryLoadsBack) {
  for (int i = 0; i < 131070; ++i) SetEntry(image->CommentL[i], "l");
  for (int i = 0; i < 131071; ++i) SetEntry(image->CommentTMP[i % 118571], "u");
  ExpectRoundTrip();
}

TEST_F(CommentSaveTest, TheLastEntryOfAnAreaIsLeftOutAndNothingElseMoves) {
  SetEntry(image->CommentD[131070], "unreachable");
  SetEntry(image->CommentD[1], "one");
  ASSERT_EQ(SaveMemoryComment(context), 1);
  EXPECT_EQ(ProjectFile("PLC_S"), Record(0xA8, 1, 0, 1));
  std::memset(image->CommentD[131070], 0, 256);
  ExpectRoundTrip();
}

TEST_F(CommentSaveTest, MoreBlocksThanTheTextBaseAllowsAreJoinedAcrossTheSmallestGaps) {
  // 8,000 single-entry blocks: every third M entry, and D entries 10 apart.
  for (int i = 0; i < 6000; ++i) SetEntry(image->CommentM[3 * i], "m");
  for (int i = 0; i < 2000; ++i) SetEntry(image->CommentD[10 * i], "d");
  image->CommentM[1][5] = 'x';  // stale bytes after a NUL in an empty entry between
  ExpectRoundTrip();
  ParsedWcd parsed = ParseWcd(ReadWcd());
  EXPECT_EQ(parsed.header[32], 10 * (parsed.records.size() + 1));
  // The D blocks, farther apart, stay single.
  std::size_t d_blocks = 0;
  for (const auto& r : parsed.records) d_blocks += r.code == 0xA8;
  EXPECT_EQ(d_blocks, 2000u);
}

TEST_F(CommentSaveTest, MissingProjectDirectoryWritesNothingAndReportsIt) {
  const std::string missing = project.File("missing");
  std::strcpy(image->MemPlcPath, missing.c_str());
  SetEntry(image->CommentM[1], "a");
  EXPECT_EQ(SaveMemoryComment(context), 0);
  EXPECT_EQ(env.messages.size(), 1u);  // the missing comment file
  const char sep = std::filesystem::path::preferred_separator;
  const std::string others = missing + sep + "Resource" + sep + "Others" + sep;
  const std::string tail = " \xC6\xC4\xC0\xCF\xC0\xBB \xBF\xAD \xBC\xF6 \xBE\xF8\xBD\xC0\xB4\xCF\xB4\xD9.\r\n";
  EXPECT_EQ(env.traces, (std::vector<std::string>{missing + sep + "PLC_S" + tail, missing + sep + "PLC_F" + tail,
                                                  others + "COMMENT.WCD" + tail}));
  EXPECT_FALSE(std::filesystem::exists(missing));
}

TEST_F(CommentSaveTest, WithoutAProjectDirectoryNothingIsWritten) {
  image->MemPlcPath[0] = '\0';
  SetEntry(image->CommentM[1], "a");
  EXPECT_EQ(SaveMemoryComment(context), 0);
  EXPECT_EQ(env.messages.size(), 1u);
  ASSERT_EQ(env.traces.size(), 3u);
  const char sep = std::filesystem::path::preferred_separator;
  EXPECT_EQ(env.traces[0].rfind(std::string(1, sep) + "PLC_S ", 0), 0u);
}

#if !defined(_WIN32)
TEST_F(CommentSaveTest, OnASectionOnlyWrittenPagesAreReadAndTheFileIsTheSame) {
  SectionEnv section_env;
  TestSection section(section_env, "comment_save");
  Image* shared = section.image();
  ASSERT_NE(shared, nullptr);
  std::strcpy(shared->MemPlcPath, image->MemPlcPath);
  std::vector<std::pair<std::size_t, std::size_t>> probe;
  EXPECT_TRUE(section_env.WrittenRanges(shared->CommentM, sizeof shared->CommentM, &probe));
  EXPECT_TRUE(probe.empty());

  // The same comments in the section and in the private image.
  auto set_both = [&](char* (*entry)(Image*), const std::string& text) {
    SetEntry(entry(shared), text);
    SetEntry(entry(image.get()), text);
  };
  set_both([](Image* i) -> char* { return i->CommentM[4095]; }, "m");  // last entry of its page
  set_both([](Image* i) -> char* { return i->CommentM[4096]; }, "n");
  set_both([](Image* i) -> char* { return i->CommentW[70000]; }, "w");  // padded from 65535
  set_both([](Image* i) -> char* { return i->CommentTMP[100]; }, "t");
  set_both([](Image* i) -> char* { return i->CommentR[131000]; }, "r");

  const std::size_t before = section.Allocated();
  Context shared_context{shared, &section_env};
  ASSERT_EQ(SaveMemoryComment(shared_context), 1);
  EXPECT_EQ(section.Allocated(), before);
  const std::string from_section = ReadWcd();

  ASSERT_EQ(SaveMemoryComment(context), 1);  // full scan of the private image
  EXPECT_EQ(ReadWcd(), from_section);
}
#endif

}  // namespace
}  // namespace quorsma::testing
