// The snapshot files of dump and restore: what is accepted and, for what is
// not, the line and reason.  The round trip through the program is tested
// in command_line_test.cc.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "snapshot/snapshot_format.h"

namespace quorsma::tool {
namespace {

TEST(SnapshotFormatTest, RefusalsNameTheLine) {
  const std::string long_comment(256, 'a');
  const struct {
    std::string file;
    std::string error;  // the first error, or empty when the file is good
  } cases[] = {
      {"# header\r\nX0 1\r\n\r\nD5\t-2147483648\t\r\nZ3\t7\t\r\n", ""},
      {"X0\t1\tok\nY0\t1\ta\\x1Bb\n", "2: Y0: the comment holds a control character (\\x1B)"},
      {"Z3\t7\tnote\n", "1: Z3: Z registers have no comment"},
      {"D0\t1\t" + long_comment + "\n", "1: D0: a comment holds at most 255 bytes (CP949)"},
      {"D0\t1 x\n", "1: D0: a tab goes between the value and the comment"},
      {"D0\n", "1: D0: no value (write OPERAND<TAB>VALUE)"},
      {"D0\t99999999999\n", "1: D0: the value is a 32-bit whole number, decimal or 0x hexadecimal"},
      {"D0.1\t1\n", "1: operand 'D0.1': a plain device of X Y M L B S D W Z is needed"},
      {"[{\"operand\":\"D0\",\"value\":-1},\n {\"operand\":\"D1\",\n  \"value\":2147483648}]", 
       "2: D1: the value is a 32-bit whole number, decimal or 0x hexadecimal"},
      {"{\"devices\":[\n{\"operand\":\"M0\",\"value\":1,\"comment\":\"a\\u001Bb\"}]}",
       "2: M0: the comment holds a control character (\\x1B)"},
      {"{\"devices\":[\n{\"operand\":\"M0\",\n\"value\":1,,}]}", "3: not JSON"},
      {"{\"values\":[]}", "1: a JSON snapshot is an array of devices"},
      {"[{\"operand\":\"D0\",\"value\":\"0xFFFB\"}]", "1: D0: the value is a JSON number, not a text"},
      {"", "1: no devices"},
      {"# quorsma dump, encoding CP949\n\n", "1: no devices"},
      {"[]", "1: no devices"},
      {"\xEF\xBB\xBF# quorsma dump, encoding CP949\nD0\t1\n", "1: the file starts with a UTF-8 byte order mark"},
      {"\xEF\xBB\xBF[{\"operand\":\"D0\",\"value\":1}]", ""},
      {std::string("\xFF\xFE" "D\0" "0\0", 6), "1: the file is UTF-16 text"},
      {"D1\x1B[2J\t5\n", "1: operand 'D1\\x1B[2J': "},
      {std::string("D1\0\t5\n", 6), "1: operand 'D1\\x00': "},
  };
  for (const auto& c : cases) {
    std::vector<SnapshotEntry> entries;
    std::vector<std::string> errors;
    const bool ok = ParseSnapshot(c.file, &entries, &errors);
    EXPECT_EQ(ok, c.error.empty()) << c.file;
    if (!c.error.empty()) {
      ASSERT_FALSE(errors.empty()) << c.file;
      EXPECT_EQ(errors.front().rfind(c.error, 0), 0u) << c.file << "\n" << errors.front();
    }
  }
}

TEST(SnapshotFormatTest, CommentsComeBackAsCp949Bytes) {
  // "펌프" in UTF-8 under a UTF-8 header, in CP949 without one, and escaped.
  const std::string cp949 = "\xC6\xDF\xC7\xC1";
  const struct {
    std::string file;
    std::string comment;
  } cases[] = {
      {"# quorsma dump, encoding UTF-8\nM1\t0\t\xED\x8E\x8C\xED\x94\x84\n", cp949},
      {"M1\t0\t" + cp949 + "\n", cp949},
      {"M1\t0\ta\\\\b\\x41\n", "a\\bA"},
      {"\xEF\xBB\xBFM1\t0\t\xED\x8E\x8C\xED\x94\x84\n", cp949},
      {"[{\"operand\":\"m1\",\"value\":0,\"comment\":\"\xED\x8E\x8C\xED\x94\x84\"}]", cp949},
  };
  for (const auto& c : cases) {
    std::vector<SnapshotEntry> entries;
    std::vector<std::string> errors;
    ASSERT_TRUE(ParseSnapshot(c.file, &entries, &errors)) << c.file << (errors.empty() ? "" : errors.front());
    ASSERT_EQ(entries.size(), 1u);
    EXPECT_TRUE(entries[0].has_comment);
    EXPECT_EQ(entries[0].comment, c.comment) << c.file;
  }
}

TEST(SnapshotFormatTest, TheHeaderKeepsASectionNameOnItsLine) {
  std::vector<SnapshotEntry> entries;
  std::vector<std::string> errors;
  ASSERT_TRUE(ParseSnapshot(SnapshotTextHeader(false, "s\nD5\t7\t", "now") + "D0\t1\n", &entries, &errors));
  ASSERT_EQ(entries.size(), 1u);
  EXPECT_EQ(entries[0].device + std::to_string(entries[0].number), "D0");
}

TEST(SnapshotFormatTest, AFileOfBadLinesKeepsFewMessagesButCountsThemAll) {
  std::string file;
  for (int i = 0; i < 5000; ++i) file += "x\n";
  std::vector<SnapshotEntry> entries;
  std::vector<std::string> errors;
  int64_t count = 0;
  EXPECT_FALSE(ParseSnapshot(file, &entries, &errors, &count));
  EXPECT_EQ(count, 5000);
  EXPECT_EQ(errors.size(), kKeptSnapshotErrors);
  EXPECT_FALSE(ParseSnapshot(std::string(100000, 'D') + "\t1\n", &entries, &errors));
  EXPECT_LT(errors.back().size(), 300u) << "a line of junk is not quoted whole";
}

}  // namespace
}  // namespace quorsma::tool
