#include "comment/format_memory_comment.h"

#include <gtest/gtest.h>

#include <string>

namespace quorsma::comment {
namespace {

TEST(FormatMemoryCommentTest, LaysWordsOutInCellsOfEightBytes) {
  struct Case {
    std::string in, out;
  };
  const std::string s7(7, ' ');
  const Case cases[] = {
      {"", ""},
      {"     ", ""},
      {"Motor on", "Motor on"},                      // a pair that fills its cell: no padding added
      {"  Motor   on  ", "Motor on"},                // outer spaces dropped, runs of spaces give no words
      {"AB CD", "AB CD   "},                         // a padded pair, also at the end
      {"ABCD EFGH", "ABCDEFGH"},                     // exactly 8: joined without the space
      {"ABCDEFGHIJ KL", "ABCDEFGHIJ      KL"},        // a long word fills two cells
      {"A B C", "A B     C"},                        // only pairs share a cell
      {"ABCDE FGHI", "ABCDE   FGHI"},                // 5 + 4 > 8: one word per cell
      {"ABCDEFGH", "ABCDEFGH"},
      {"A\tB", "A\tB"},                              // only spaces separate words
      {"A B C D E F G H", "A B     C D     E F     G H     "},
      {std::string(40, 'x'), std::string(32, 'x')},  // cut to 32
      {"ABCDEFGHIJKLMNOPQRSTUVWXYZ12345 6", "ABCDEFGHIJKLMNOPQRSTUVWXYZ12345 "},
      {"\xB8\xF0\xC5\xCD \xB1\xE2\xB5\xBF", "\xB8\xF0\xC5\xCD\xB1\xE2\xB5\xBF"},  // two 4-byte words fill a cell
  };
  for (const Case& c : cases) EXPECT_EQ(FormatMemoryComment(c.in), c.out) << '"' << c.in << '"';
}

TEST(FormatMemoryCommentTest, TakesAtMost32WordsAndNeverMoreThan32Bytes) {
  std::string many;
  for (int i = 0; i < 40; ++i) many += "w ";
  const std::string out = FormatMemoryComment(many);
  EXPECT_EQ(out, "w w     w w     w w     w w     ");
  char buffer[kLaidOutBytes + 1];
  EXPECT_EQ(LayOutComment(std::string(1000, 'a'), buffer), 32u);
  EXPECT_EQ(buffer[32], '\0');
}

}  // namespace
}  // namespace quorsma::comment
