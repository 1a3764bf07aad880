#include "cli/client_names.h"

#include <gtest/gtest.h>

namespace quorsma::tool {
namespace {

struct RoleCase {
  const char* text;
  Role role;
  bool accepted;
};

class OperandRoleTest : public ::testing::TestWithParam<RoleCase> {};

TEST_P(OperandRoleTest, AcceptsOnlyWhatTheRoleCanUse) {
  const RoleCase& c = GetParam();
  std::string reason;
  EXPECT_EQ(CheckOperand(c.text, c.role, nullptr, &reason), c.accepted) << c.text << ": " << reason;
  if (!c.accepted) {
    EXPECT_FALSE(reason.empty());
  }
}

INSTANTIATE_TEST_SUITE_P(
    Values, OperandRoleTest,
    ::testing::Values(
        // Values read by contacts and comparisons.
        RoleCase{"X1F", Role::kValue, true}, RoleCase{"D100", Role::kValue, true},
        RoleCase{"D100.3", Role::kValue, true}, RoleCase{"W1F.15", Role::kValue, true},
        RoleCase{"K4M100", Role::kValue, true}, RoleCase{"K4M100Z1", Role::kValue, true},
        RoleCase{"M10Z2", Role::kValue, true}, RoleCase{"T0", Role::kValue, true},
        RoleCase{"SM400", Role::kValue, true}, RoleCase{"K2147483647", Role::kValue, true},
        RoleCase{"Z3", Role::kValue, true}, RoleCase{"R65534", Role::kValue, true},
        RoleCase{"K-5", Role::kValue, false}, RoleCase{"K2147483648", Role::kValue, false},
        RoleCase{"K9M0", Role::kValue, false}, RoleCase{"K4Z1", Role::kValue, false},
        RoleCase{"K4X10", Role::kValue, false}, RoleCase{"d100", Role::kValue, true},
        RoleCase{"H10", Role::kValue, false}, RoleCase{"U0G10", Role::kValue, false},
        RoleCase{"X10000", Role::kValue, false}, RoleCase{"M131071", Role::kValue, false},
        RoleCase{"T65535", Role::kValue, false}, RoleCase{"D100.16", Role::kValue, false},
        RoleCase{"D12345.1", Role::kValue, false}, RoleCase{"M10.1", Role::kValue, false},
        RoleCase{"D100Z21", Role::kValue, false}, RoleCase{"D100Z", Role::kValue, false},
        RoleCase{"D100X", Role::kValue, false}, RoleCase{"D100.3Z1", Role::kValue, false},
        RoleCase{"L10Z1", Role::kValue, false}, RoleCase{"T5K100", Role::kValue, false},
        RoleCase{"X1G", Role::kValue, false}, RoleCase{"", Role::kValue, false},
        // Writes by name.
        RoleCase{"Y10", Role::kWrite, true}, RoleCase{"D100.3", Role::kWrite, true},
        RoleCase{"M5Z1", Role::kWrite, true}, RoleCase{"Z1", Role::kWrite, true},
        RoleCase{"SM400", Role::kWrite, false}, RoleCase{"R5", Role::kWrite, false},
        RoleCase{"K5", Role::kWrite, false}, RoleCase{"T3", Role::kWrite, false},
        RoleCase{"X1Z1", Role::kWrite, false},
        // Cells written by arithmetic.
        RoleCase{"D10", Role::kCell, true}, RoleCase{"R10", Role::kCell, true},
        RoleCase{"D10.1", Role::kCell, false}, RoleCase{"K5", Role::kCell, false},
        RoleCase{"T1", Role::kCell, false},
        RoleCase{"D10", Role::kMulDivCell, true}, RoleCase{"Z2", Role::kMulDivCell, true},
        RoleCase{"W10", Role::kMulDivCell, false}, RoleCase{"K5", Role::kMulDivCell, false},
        RoleCase{"K3", Role::kMulDivValue, true}, RoleCase{"W1", Role::kMulDivValue, false},
        RoleCase{"Z1", Role::kIncrement, true}, RoleCase{"X0", Role::kIncrement, false},
        RoleCase{"W10", Role::kDecrement, true}, RoleCase{"Z0", Role::kDecrement, false},
        RoleCase{"T5", Role::kTimer, true}, RoleCase{"T5Z1", Role::kTimer, false},
        RoleCase{"M5", Role::kTimer, false},
        RoleCase{"M12", Role::kPulseRelay, true}, RoleCase{"D12", Role::kPulseRelay, false},
        RoleCase{"M100", Role::kShiftStart, true}, RoleCase{"D100", Role::kShiftStart, false},
        RoleCase{"K1", Role::kShiftLength, true}, RoleCase{"K0", Role::kShiftLength, false},
        RoleCase{"D4", Role::kShiftLength, false},
        RoleCase{"SM400", Role::kComment, true}, RoleCase{"K5", Role::kComment, false},
        // The tool's own reads and writes take digit groups of every bit device.
        RoleCase{"K4X10", Role::kMonitor, true}, RoleCase{"K8SM0", Role::kMonitor, true},
        RoleCase{"K4D0", Role::kMonitor, false}, RoleCase{"K2Y10", Role::kStore, true},
        RoleCase{"K1SM0", Role::kStore, false}, RoleCase{"K4X0Z1", Role::kStore, false},
        RoleCase{"K4X10", Role::kWrite, false}));

TEST(OperandSyntaxTest, ReadsNumbersInTheDevicesRadix) {
  Operand op;
  std::string reason;
  ASSERT_TRUE(ParseOperand("X1F", &op, &reason));
  EXPECT_EQ(op.number, 31);
  ASSERT_TRUE(ParseOperand("W1FFFE", &op, &reason));
  EXPECT_EQ(op.number, 131070);
  ASSERT_TRUE(ParseOperand("K8M100Z20", &op, &reason));
  EXPECT_EQ(op.kind, Operand::Kind::kDigits);
  EXPECT_EQ(op.digits, 8);
  EXPECT_EQ(op.number, 100);
  EXPECT_EQ(op.index_register, 20);
  ASSERT_TRUE(ParseOperand("D100.12", &op, &reason));
  EXPECT_EQ(op.bit, 12);
  EXPECT_FALSE(ParseOperand("K8M131040", &op, &reason)) << "32 relays from M131040 run past the area";
}

}  // namespace
}  // namespace quorsma::tool
