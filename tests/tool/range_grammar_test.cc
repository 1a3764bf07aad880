#include "range_grammar.h"

#include <gtest/gtest.h>

#include <fstream>
#include <sstream>

namespace quorsma::tool {
namespace {

std::string Canonical(const std::vector<RangeItem>& items) {
  std::string out;
  for (const RangeItem& item : items) {
    if (!out.empty()) out += ',';
    switch (item.kind) {
      case RangeItem::Kind::kAll:
        out += "all";
        break;
      case RangeItem::Kind::kRange:
        out += DeviceText(item.range.device, item.range.first) + ".." + DeviceText(item.range.device, item.range.last);
        break;
      case RangeItem::Kind::kOperand:
        out += OperandText(item.operand);
        break;
    }
  }
  return out;
}

// The shared table of accepted and refused lists.
TEST(RangeGrammarTest, FollowsTheCaseTable) {
  std::ifstream table(QSMA_TEST_DATA "/range_grammar_cases.tsv");
  ASSERT_TRUE(table) << "missing case table";
  std::string line;
  int cases = 0;
  while (std::getline(table, line)) {
    if (line.empty() || line[0] == '#') continue;
    std::istringstream fields(line);
    std::string input, where, expected;
    std::getline(fields, input, '\t');
    std::getline(fields, where, '\t');
    std::getline(fields, expected, '\t');
    ASSERT_TRUE(where == "list" || where == "set") << line;
    RangeOptions options;
    options.allow_all = where == "set";
    std::vector<RangeItem> items;
    std::string reason;
    const bool ok = ParseRangeList(input, options, &items, &reason);
    if (expected == "refused") {
      EXPECT_FALSE(ok) << "'" << input << "' accepted as " << Canonical(items);
      EXPECT_FALSE(reason.empty()) << input;
    } else {
      EXPECT_TRUE(ok) << "'" << input << "': " << reason;
      EXPECT_EQ(Canonical(items), expected) << input;
    }
    ++cases;
  }
  EXPECT_GT(cases, 40);
}

TEST(RangeGrammarTest, ExpandsRangesInTheDevicesRadix) {
  std::vector<RangeItem> items;
  std::string reason;
  ASSERT_TRUE(ParseRangeList("X1E..X21,d9..d10,K2Y10", {}, &items, &reason)) << reason;
  EXPECT_EQ(ExpandOperands(items),
            (std::vector<std::string>{"X1E", "X1F", "X20", "X21", "D9", "D10", "K2Y10"}));
}

TEST(RangeGrammarTest, SetsHoldWholeCellRuns) {
  DeviceSet set;
  std::string reason;
  ASSERT_TRUE(DeviceSet::Parse("D100..D109,D110..D119,K2Y10,W0.3", &set, &reason)) << reason;
  EXPECT_TRUE(set.Contains("D", 105, 10)) << "a run across two adjacent ranges";
  EXPECT_FALSE(set.Contains("D", 115, 10)) << "runs past D119";
  EXPECT_FALSE(set.Contains("W", 100));
  EXPECT_TRUE(set.Contains("Y", 0x17));
  EXPECT_FALSE(set.Contains("Y", 0x18));
  EXPECT_FALSE(set.Contains("X", 0x10)) << "Y10 is not X10";
  EXPECT_TRUE(set.Contains("W", 0)) << "a register bit names its register";

  Operand digits;
  ASSERT_TRUE(ParseOperand("K1M4Z1", &digits, &reason));
  EXPECT_EQ(CellsOf(digits, 3), (DeviceRange{"M", 7, 10}));
  EXPECT_FALSE(DeviceSet::Parse("M10Z1", &set, &reason)) << "an indexed device has no fixed cell";

  ASSERT_TRUE(DeviceSet::Parse("all", &set, &reason));
  EXPECT_TRUE(set.Contains("R", 65534));
}

}  // namespace
}  // namespace quorsma::tool
