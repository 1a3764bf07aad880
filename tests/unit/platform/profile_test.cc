// The Linux private-profile reader and writer on file contents.
#include "platform/profile.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "unit/platform/profile_cases.h"

namespace quorsma::testing {
namespace {

using platform::ProfileRead;
using platform::ProfileSectionEntries;
using platform::ProfileWrite;

TEST(ProfileTest, ReadCases) {
  for (const ProfileReadCase& c : kProfileReadCases) {
    SCOPED_TRACE(c.name);
    std::string content = c.content ? c.content : "";
    char out[64];
    std::memset(out, 'X', sizeof out);
    std::size_t n = ProfileRead(c.content ? &content : nullptr, c.section, c.key, c.fallback, out, c.size);
    EXPECT_EQ(n, c.result);
    EXPECT_STREQ(out, c.expected);
  }
}

TEST(ProfileTest, WriteCases) {
  for (const ProfileWriteCase& c : kProfileWriteCases) {
    SCOPED_TRACE(c.name);
    std::string before = c.before ? c.before : "";
    EXPECT_EQ(ProfileWrite(before, c.section, c.key, c.value), c.after);
  }
}

// Documented behaviour on which wine's functions differ (wine reads a line
// without '=' as a key with an empty value, and drops the leading blanks of
// a value it writes); the table above leaves these out.
TEST(ProfileTest, DocumentedBehaviourWhereWineDiffers) {
  std::string content = "[S]\r\nk\r\nk=2\r\n";
  char out[8];
  EXPECT_EQ(ProfileRead(&content, "S", "k", "", out, sizeof out), 1u);
  EXPECT_STREQ(out, "2");
  EXPECT_EQ(ProfileWrite("[S]\r\n", "S", "k", " v"), "[S]\r\nk= v\r\n");
}

TEST(ProfileTest, SizeZeroCopiesNothing) {
  std::string content = "[S]\r\nk=v\r\n";
  char out[4] = {'a', 'b', 'c', 'd'};
  EXPECT_EQ(ProfileRead(&content, "S", "k", "", out, 0), 0u);
  EXPECT_EQ(out[0], 'a');
}

TEST(ProfileTest, NullArgumentsReadAsMissing) {
  std::string content = "[S]\r\nk=v\r\n";
  char out[8];
  EXPECT_EQ(ProfileRead(&content, nullptr, "k", "d", out, sizeof out), 1u);
  EXPECT_EQ(ProfileRead(&content, "S", nullptr, nullptr, out, sizeof out), 0u);
  EXPECT_STREQ(out, "");
  EXPECT_EQ(ProfileWrite(content, nullptr, "k", "v"), content);
  EXPECT_EQ(ProfileWrite(content, "S", nullptr, "v"), content);
}

// Layouts a writer on Linux keeps byte for byte: line ends other than CR LF,
// blank lines between sections, a last line without a line end.
TEST(ProfileTest, WriteKeepsTheRestOfTheFileByteForByte) {
  struct Case {
    const char* name;
    const char* before;
    const char* key;
    const char* after;
  } cases[] = {
      {"LF file, replace", "[S]\nk=1\nj=2\n", "k", "[S]\nk=v\nj=2\n"},
      {"LF file, append", "[S]\nk=1\n", "n", "[S]\nk=1\nn=v\r\n"},
      {"blank lines stay before the next section", "[S]\r\nk=1\r\n\r\n[T]\r\n", "n",
       "[S]\r\nk=1\r\nn=v\r\n\r\n[T]\r\n"},
      {"no line end at the end, append", "[S]\r\nk=1", "n", "[S]\r\nk=1\r\nn=v\r\n"},
      {"no line end at the end, replace", "[S]\r\nk=1", "k", "[S]\r\nk=v"},
      {"blanks around the key line dropped", "[S]\r\n  k = 1 \r\n", "k", "[S]\r\nk=v\r\n"},
      {"new section after a last line without end", "[A]\r\na=1", "n", "[A]\r\na=1\r\n[S]\r\nn=v\r\n"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    EXPECT_EQ(ProfileWrite(c.before, "S", c.key, "v"), c.after);
  }
}

TEST(ProfileTest, SectionEntriesOfTheFirstSectionOnly) {
  std::string content =
      "[A]\r\nx=0\r\n[S]\r\n;c\r\nk1 = 'v1' \r\nnokey\r\nK2=v2\r\nk1=dup\r\n[B]\r\ny=1\r\n[S]\r\nk3=v3\r\n";
  std::vector<platform::ProfileEntry> entries = ProfileSectionEntries(content, " s ");
  ASSERT_EQ(entries.size(), 3u);
  EXPECT_EQ(entries[0].key, "k1");
  EXPECT_EQ(entries[0].value, "v1");
  EXPECT_EQ(entries[1].key, "K2");
  EXPECT_EQ(entries[2].value, "dup");
  EXPECT_TRUE(ProfileSectionEntries(content, "none").empty());
}

// A file of 2,621 long lines: replacing one key touches that line only.
TEST(ProfileTest, ReplacingOneKeyOfALargeFile) {
  std::string content = "[MODULE_DV]\r\n";
  std::string line_value;
  for (int k = 0; k < 50; ++k) line_value += "-2147483648,";
  for (int g = 0; g < 2621; ++g) {
    char key[16];
    std::snprintf(key, sizeof key, "D%06d", g * 50);
    content += std::string(key) + "=" + line_value + "\r\n";
  }
  std::string after = ProfileWrite(content, "MODULE_DV", "D065500", "1,");
  EXPECT_EQ(after.size(), content.size() - line_value.size() + 2);
  std::size_t at = content.find("D065500=");
  EXPECT_EQ(after.compare(0, at, content, 0, at), 0);
  EXPECT_EQ(after.substr(at, 13), "D065500=1,\r\nD");
  char out[1024];
  EXPECT_EQ(ProfileRead(&after, "MODULE_DV", "D131000", "", out, sizeof out), line_value.size());
}

}  // namespace
}  // namespace quorsma::testing
