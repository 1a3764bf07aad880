#include "cli/client_names.h"

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
  DeviceList list;
  std::string reason;
  ASSERT_TRUE(DeviceList::Parse("X1E..X21,d9..d10,K2Y10", {}, &list, &reason)) << reason;
  EXPECT_EQ(list.OperandCount(), 7u);
  EXPECT_EQ(list.Operands(),
            (std::vector<std::string>{"X1E", "X1F", "X20", "X21", "D9", "D10", "K2Y10"}));
}

TEST(RangeGrammarTest, PermissionsHoldWholeCellRunsAndSingleBits) {
  Permission set;
  std::string reason;
  ASSERT_TRUE(Permission::Parse("D100..D109,D110..D119,K2Y10,W0.3", &set, &reason)) << reason;
  EXPECT_TRUE(set.Allows("D", 105, 10)) << "a run across two adjacent ranges";
  EXPECT_FALSE(set.Allows("D", 115, 10)) << "runs past D119";
  EXPECT_FALSE(set.Allows("W", 100));
  EXPECT_TRUE(set.Allows("Y", 0x17));
  EXPECT_FALSE(set.Allows("Y", 0x18));
  EXPECT_FALSE(set.Allows("X", 0x10)) << "Y10 is not X10";
  EXPECT_FALSE(set.Allows("W", 0)) << "a register bit grants that bit, not its register";
  EXPECT_TRUE(set.AllowsBit("W", 0, 3));
  EXPECT_FALSE(set.AllowsBit("W", 0, 4));

  Operand digits;
  ASSERT_TRUE(ParseOperand("K1M4Z1", &digits, &reason));
  EXPECT_EQ(CellsOf(digits, 3), (DeviceRange{"M", 7, 10}));
  EXPECT_FALSE(Permission::Parse("M10Z1", &set, &reason)) << "an indexed device has no fixed cell";

  ASSERT_TRUE(Permission::Parse("all", &set, &reason));
  EXPECT_TRUE(set.Allows("R", 65534));
  ASSERT_TRUE(Permission::Parse("", &set, &reason));
  EXPECT_TRUE(set.empty());
  EXPECT_FALSE(set.Allows("D", 0));
}

}  // namespace
}  // namespace quorsma::tool
