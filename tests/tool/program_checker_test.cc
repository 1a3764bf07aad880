#include "runner/program_checker.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "runner/instruction_table.h"
#include "runner/program_parser.h"
#include "tool_test_support.h"

namespace quorsma::tool {
namespace {

using testing::ExamplePath;
using testing::MustCheck;

TEST(ProgramParserTest, SplitsLinesIntoNamesAndOperands) {
  auto lines = ParseProgramText(
      "\xEF\xBB\xBF; a comment line\r\n"
      "\r\n"
      "  LD\tX0   ; trailing comment\r\n"
      "OUT T0 K30\n"
      "END");
  ASSERT_EQ(lines.size(), 3u);
  EXPECT_EQ(lines[0].line, 3);
  EXPECT_EQ(lines[0].mnemonic, "LD");
  EXPECT_EQ(lines[0].operands, std::vector<std::string>{"X0"});
  EXPECT_EQ(lines[1].line, 4);
  EXPECT_EQ(lines[1].operands, (std::vector<std::string>{"T0", "K30"}));
  EXPECT_EQ(lines[2].line, 5);
  EXPECT_TRUE(lines[2].operands.empty());
}

TEST(InstructionTableTest, EveryLadderExportHasAnEntryAndEveryAliasATarget) {
  EXPECT_EQ(AllInstructions().size(), 50u);  // 53 ladder exports less Push, Pop_p, CheckPulse
  for (const InstructionAlias& alias : AllAliases()) {
    const InstructionInfo* info = FindInstruction(alias.alias);
    ASSERT_NE(info, nullptr) << alias.alias;
    EXPECT_STREQ(info->name, alias.name);
  }
  ASSERT_NE(FindInstruction("out"), nullptr);
  EXPECT_STREQ(FindInstruction("out")->name, "LAD_OUT");
  EXPECT_EQ(FindInstruction("Push"), nullptr);
}

struct ErrorCase {
  const char* program;
  const char* message;  // a part of the one error expected
};

class ProgramErrorTest : public ::testing::TestWithParam<ErrorCase> {};

TEST_P(ProgramErrorTest, NamesFileLineAndReason) {
  Program program;
  std::vector<std::string> errors;
  EXPECT_FALSE(CheckProgram(ParseProgramText(GetParam().program), "p.il", &program, &errors));
  ASSERT_EQ(errors.size(), 1u);
  EXPECT_NE(errors[0].find(GetParam().message), std::string::npos) << errors[0];
  EXPECT_TRUE(program.instructions.empty()) << "nothing is returned to run";
}

INSTANTIATE_TEST_SUITE_P(
    Errors, ProgramErrorTest,
    ::testing::Values(
        ErrorCase{"LD X0\nFOO X1\nOUT Y0", "p.il:2: unknown instruction 'FOO'"},
        ErrorCase{"LD X0 X1", "p.il:1: LD takes 1 operand, not 2"},
        ErrorCase{"LD X0\nOUT", "p.il:2: LAD_OUT takes 1 or 2 operands, not 0"},
        ErrorCase{"LD X0\nINV X0", "INV takes 0 operands, not 1"},
        ErrorCase{"LD X0\nADD D0", "LAD_PLUS takes 2 or 3 operands, not 1"},
        ErrorCase{"LD X0\nDIV D0 D1", "LADALL_DIVIDE takes 3 operands, not 2"},
        ErrorCase{"LD K-5", "p.il:1: LD: operand 1 'K-5'"},
        ErrorCase{"LD X0\nOUT M0 K30", "operand 1 'M0': a timer coil is T"},
        ErrorCase{"LD X0\nOUT SM400", "operand 1 'SM400'"},
        ErrorCase{"LD X0\nMUL D0 W1 D2", "operand 2 'W1'"},
        ErrorCase{"LD X0\nMUL D0 D1 K5", "operand 3 'K5'"},
        ErrorCase{"LD X0\nDIV D0 D1 D131070", "the remainder goes to the next register"},
        ErrorCase{"LD X0\nINC X0", "only D, W and Z registers count up"},
        ErrorCase{"LD X0\nDECP Z0", "only D and W registers count down"},
        ErrorCase{"LD X0\nBSFLP D100 K4", "operand 1 'D100'"},
        ErrorCase{"LD X0\nBSFLP M100 D4", "operand 2 'D4'"},
        ErrorCase{"LD X0\nBSFLP M131068 K4", "goes past M131070"},
        ErrorCase{"LD X0\nOUT Y0\nEND\nLD X1", "p.il:4: END ends the program"},
        ErrorCase{"; only a comment\n", "no instruction to run"},
        ErrorCase{"LD D100Z21", "above Z20"}));

TEST(ProgramCheckerTest, ReportsEveryErrorNotOnlyTheFirst) {
  Program program;
  std::vector<std::string> errors;
  EXPECT_FALSE(CheckProgram(ParseProgramText("LDX X0\nLD X0 X1\nOUT H5\nOUT Y0\n"), "p.il", &program, &errors));
  ASSERT_EQ(errors.size(), 3u);
  EXPECT_EQ(errors[0].rfind("p.il:1:", 0), 0u);
  EXPECT_EQ(errors[1].rfind("p.il:2:", 0), 0u);
  EXPECT_EQ(errors[2].rfind("p.il:3:", 0), 0u);
}

TEST(ProgramCheckerTest, GivesEachEdgeInstructionItsOwnSlotAndListsTimers) {
  Program program = MustCheck(
      "LDP X0\n"       // slot 0
      "ANDF X1\n"      // slot 1
      "OUT T5 K30\n"
      "LD X2\n"
      "INCP D0\n"      // slot 2
      "LD X3\n"
      "PLS T1 K10\n"   // slot 3, timer coil
      "LD X4\n"
      "OUT T5 K20\n"   // the same timer again
      "MEP\n"          // slot 4
      "OUT Y0\n"
      "END\n");
  ASSERT_EQ(program.instructions.size(), 11u) << "END is not kept: the runner ends every scan";
  std::vector<int32_t> slots;
  for (const Instruction& in : program.instructions) slots.push_back(in.pulse_slot);
  EXPECT_EQ(slots, (std::vector<int32_t>{0, 1, -1, -1, 2, -1, 3, -1, -1, 4, -1}));
  EXPECT_EQ(program.pulse_slots, 5);
  EXPECT_EQ(program.timers, (std::vector<int32_t>{1, 5}));
}

TEST(ProgramCheckerTest, AcceptsAliasesAndOptionalOperands) {
  Program program = MustCheck(
      "LD= D0 K5\nAND<> D1 D2\nOUT Y0\n"
      "LD X0\nADD K1 D10\nLD X0\nSUB D1 D2 D3\nLD X0\nMUL K3 D1\nLD X0\nDIV D0 K2 D10\n"
      "LD X0\nPLS M5\nLD X0\nSFTL M100 K8\n"
      "LD D100.12\nOUT W1F.15\n");  // bits above 9 are written in decimal
  ASSERT_EQ(program.instructions.size(), 17u);
  EXPECT_STREQ(program.instructions[0].info->name, "LD_EQ");
  EXPECT_STREQ(program.instructions[1].info->name, "AND_NEQ");
  EXPECT_STREQ(program.instructions[4].info->name, "LAD_PLUS");
  EXPECT_EQ(program.instructions[4].operands[2], "") << "a missing operand is passed as empty text";
  EXPECT_STREQ(program.instructions[14].info->name, "BSFLP");
}

TEST(ProgramCheckerTest, LoadsAndMergesFilesNumberingSlotsOnward) {
  Program program;
  std::vector<std::string> errors;
  ASSERT_TRUE(LoadPrograms({ExamplePath("traffic_light.il"), ExamplePath("conveyor.il")}, &program, &errors))
      << (errors.empty() ? "" : errors[0]);
  EXPECT_EQ(program.timers, (std::vector<int32_t>{0, 1, 2}));
  EXPECT_EQ(program.pulse_slots, 2);  // INCP and PLS of the conveyor
  int32_t next = 0;
  for (const Instruction& in : program.instructions) {
    if (in.pulse_slot >= 0) {
      EXPECT_EQ(in.pulse_slot, next++);
    }
  }
  errors.clear();
  EXPECT_FALSE(LoadPrograms({ExamplePath("no_such_file.il")}, &program, &errors));
  ASSERT_EQ(errors.size(), 1u);
  EXPECT_NE(errors[0].find("no_such_file.il"), std::string::npos);
  // The bytes a message quotes from the file are shown escaped, never raw.
  testing::TempDir dir;
  const char raw[] = "LD X0\0\nOUT Y0\x1B[2J\n";
  testing::WriteFile(dir.File("raw.il"), std::string(raw, sizeof raw - 1));
  errors.clear();
  EXPECT_FALSE(LoadPrograms({dir.File("raw.il")}, &program, &errors));
  ASSERT_EQ(errors.size(), 2u);
  EXPECT_NE(errors[0].find("'X0\\x00'"), std::string::npos) << errors[0];
  EXPECT_NE(errors[1].find("'Y0\\x1B[2J'"), std::string::npos) << errors[1];
}

TEST(ProgramCheckerTest, EveryBundledProgramPasses) {
  for (const auto& entry : std::filesystem::directory_iterator(QSMA_TOOL_EXAMPLES)) {
    Program program;
    std::vector<std::string> errors;
    EXPECT_TRUE(LoadProgram(entry.path().string(), &program, &errors))
        << entry.path() << ": " << (errors.empty() ? "" : errors[0]);
  }
}

}  // namespace
}  // namespace quorsma::tool

namespace quorsma::tool {
namespace {

struct RungCase {
  const char* text;
  const char* error;    // expected in the only error, or null when the program passes
  const char* warning;  // expected in the only warning, or null when there is none
};

TEST(RungCheckTest, StackAndBranchUseNeedsWhatFeedsIt) {
  const RungCase cases[] = {
      {"LD X0\nMPS\nAND X1\nOUT Y0\nMRD\nOUT Y1\nMPP\nANI X2\nOUT Y2\n", nullptr, nullptr},
      {"LD X0\nLD X1\nORB\nLD X2\nOR X3\nANB\nOUT Y0\nLD X4\nOUT Y1\nAND X5\nOUT Y2\n", nullptr, nullptr},
      {"LD X0\nOUT Y0\nMPP\nOUT Y1\n", "test.il:3: MPP without an MPS", nullptr},
      {"LD X0\nMRD\nOUT Y0\n", "test.il:2: MRD without an MPS", nullptr},
      {"LD X0\nANB\nOUT Y0\n", "test.il:2: ANB joins two blocks, but only one is open", nullptr},
      {"ORB\nLD X0\nOUT Y0\n", "test.il:1: ORB joins two blocks, but none is open", nullptr},
      {"OUT Y0\n", "test.il:1: OUT needs a condition", nullptr},
      {"AND X0\nOUT Y0\n", "test.il:1: AND needs a condition", nullptr},
      {"LD X0\nMPS\nOUT Y0\nLD X1\nOUT Y1\n", nullptr, "test.il:1: warning: the rung ends with 1 MPS not popped"},
      {"LD X0\nLD X1\nOUT Y0\n", nullptr, "test.il:1: warning: the rung ends with 1 block not joined"},
      {"LD X0\nOUT Y0\nLD X1\nOUT y0\n", nullptr, "test.il:4: warning: Y0 is driven by OUT here and at line 2"},
      {"LD X0\nOUT T0\n", "test.il:2: a timer coil needs a set value, e.g. OUT T0 K30", nullptr},
  };
  for (const RungCase& c : cases) {
    Program program;
    std::vector<std::string> errors, warnings;
    const bool ok = CheckProgram(ParseProgramText(c.text), "test.il", &program, &errors, &warnings);
    EXPECT_EQ(ok, c.error == nullptr) << c.text;
    if (c.error != nullptr) {
      ASSERT_EQ(errors.size(), 1u) << c.text;
      EXPECT_EQ(errors[0].rfind(c.error, 0), 0u) << errors[0];
    }
    if (c.warning == nullptr) {
      EXPECT_TRUE(warnings.empty()) << c.text << (warnings.empty() ? "" : warnings[0]);
    } else {
      ASSERT_EQ(warnings.size(), 1u) << c.text;
      EXPECT_NE(warnings[0].find(c.warning), std::string::npos) << warnings[0];
    }
  }
}

}  // namespace
}  // namespace quorsma::tool
