// CP949 conversions, the comment import check, and the comment and device
// commands run as programs.
#include <gtest/gtest.h>

#include <chrono>
#include <csignal>
#include <cstdlib>
#include <map>
#include <regex>
#include <thread>

#include "child_process.h"
#include "comments/comment_import.h"
#include "tool_test_support.h"
#include "cli/text_encoding.h"

namespace quorsma::tool {
namespace {

using quorsma::testing::ChildProcess;
using quorsma::testing::RunChild;
using quorsma::testing::UniqueSectionName;

TEST(TextEncodingTest, KoreanRoundTripsThroughCp949) {
  const std::string korean = "펌프 모터 정지";
  std::string cp949;
  ASSERT_TRUE(Utf8ToCp949(korean, &cp949));
  EXPECT_EQ(cp949.size(), 14u) << "two bytes per Hangul syllable";
  EXPECT_EQ(cp949.substr(0, 2), "\xC6\xDF");  // 펌
  EXPECT_EQ(Cp949ToUtf8(cp949), korean);
  EXPECT_EQ(Cp949ToUtf8("Motor on"), "Motor on");
}

TEST(TextEncodingTest, ACutDoubleByteCharacterShowsAsAQuestionMark) {
  std::string cp949;
  ASSERT_TRUE(Utf8ToCp949("모터", &cp949));
  EXPECT_EQ(Cp949ToUtf8(cp949.substr(0, 3)), "모?");
}

TEST(TextEncodingTest, TextThatCp949CannotHoldIsRefused) {
  std::string cp949 = "unchanged";
  EXPECT_FALSE(Utf8ToCp949("pump \xF0\x9F\x94\xA5", &cp949));  // an emoji
  EXPECT_FALSE(Utf8ToCp949("\xC3\x28", &cp949));              // not UTF-8
  EXPECT_EQ(cp949, "unchanged");
}

struct ImportCase {
  const char* content;
  int comments;
  int errors;
};

class ImportCheckTest : public ::testing::TestWithParam<ImportCase> {};

TEST_P(ImportCheckTest, CountsCommentsAndRefusesLinesTheLibraryWouldReject) {
  ImportCheck check = CheckImportText(GetParam().content);
  EXPECT_EQ(check.comments, GetParam().comments) << GetParam().content;
  EXPECT_EQ(static_cast<int>(check.errors.size()), GetParam().errors) << GetParam().content;
}

INSTANTIATE_TEST_SUITE_P(
    Lines, ImportCheckTest,
    ::testing::Values(ImportCase{"[COMMENT]\r\nM10 = Motor on\r\nX1F=Start\r\nSM400=Run\r\nS10=Step\r\n", 4, 0},
                      ImportCase{"no equals sign\n=starts with one\n", 0, 0},
                      ImportCase{"X1F=\"Start\"\n", 1, 0},  // the quote ends the segment
                      ImportCase{"Y10=\n", 1, 0},
                      ImportCase{"U0\\G10=abc\nZR5=abc\nm5=abc\n X1=abc\n", 0, 4},
                      ImportCase{"M131071=too far\nX1FFFF=too far\nD12A=bad digit\nM=no number\n", 0, 4},
                      ImportCase{"", 0, 0}));

TEST(ImportCheckTest, ErrorsNameTheLine) {
  ImportCheck check = CheckImportText("M1=a\r\nM2=b\r\nQ3=c\r\n");
  ASSERT_EQ(check.errors.size(), 1u);
  EXPECT_EQ(check.errors[0].rfind("line 3: ", 0), 0u) << check.errors[0];
}

// True when the table in `out` has a row for `operand` with `value`.
bool HasRow(const std::string& out, const std::string& operand, long long value) {
  return std::regex_search(out, std::regex("(^|\n)" + std::regex_replace(operand, std::regex(R"(\.)"), R"(\.)") +
                                           " +" + std::to_string(value) + "( |\n)"));
}

// The commands as programs, on a section kept alive by a holder process.
class CommandTest : public ::testing::Test {
 protected:
  CommandTest()
      : env_{{"QUORSMA_SECTION", UniqueSectionName("commands")}, {"LANG", "C.UTF-8"}},
        holder_((testing::RemoveCommentFile(), QSMA_TEST_CHILD), {"hold"}, env_) {
    EXPECT_EQ(holder_.ReadLine(), "ready\n");
  }
  ~CommandTest() override {
    holder_.CloseInput();
    holder_.Wait();
  }
  quorsma::testing::ChildResult Tool(const std::vector<std::string>& args) {
    return RunChild(QSMA_TEST_TOOL, args, env_);
  }
  std::map<std::string, std::string> env_;
  ChildProcess holder_;
  testing::TempDir dir_;
};

TEST_F(CommandTest, CommentSetAndGetRoundTripKoreanText) {
  ASSERT_EQ(Tool({"comment", "set", "X", "1F", "시작 버튼"}).exit_code, 0);
  auto got = Tool({"comment", "get", "X1F"});
  EXPECT_EQ(got.exit_code, 0);
  EXPECT_EQ(got.out, "X1F\t시작 버튼\n");
  EXPECT_EQ(Tool({"comment", "get", "X1E"}).out, "X1E\t(no comment)\n");
}

TEST_F(CommandTest, CommentSetRefusesBadInputBeforeTouchingAnything) {
  EXPECT_EQ(Tool({"comment", "set", "m", "1", "x"}).exit_code, 2);
  EXPECT_EQ(Tool({"comment", "set", "M", "131071", "x"}).exit_code, 2);
  EXPECT_EQ(Tool({"comment", "set", "X", "1G", "x"}).exit_code, 2);
  EXPECT_EQ(Tool({"comment", "set", "M", "1", "\xF0\x9F\x94\xA5"}).exit_code, 2);
  EXPECT_EQ(Tool({"comment", "set", "M", "1", std::string(256, 'a')}).exit_code, 2);
  EXPECT_EQ(Tool({"comment", "get", "K5"}).exit_code, 2);
}

TEST_F(CommandTest, ImportIsWholeOrNothing) {
  const std::string bad = dir_.File("bad.txt");
  testing::WriteFile(bad, "M20=Pump\nQ3=typo\n");
  auto refused = Tool({"comment", "import", "--utf8", bad});
  EXPECT_EQ(refused.exit_code, 2);
  EXPECT_NE(refused.err.find("line 2"), std::string::npos) << refused.err;
  EXPECT_EQ(Tool({"comment", "get", "M20"}).out, "M20\t(no comment)\n") << "nothing was imported";

  const std::string good = dir_.File("good.txt");
  testing::WriteFile(good, "[COMMENT]\nM20=Pump\nD100=적재 수량\n");
  auto imported = Tool({"comment", "import", "--utf8", good});
  EXPECT_EQ(imported.exit_code, 0) << imported.err;
  EXPECT_EQ(imported.out, "2 comments imported\n");
  EXPECT_EQ(Tool({"comment", "get", "M20"}).out, "M20\tPump\n");
  EXPECT_EQ(Tool({"comment", "get", "D100"}).out, "D100\t적재수량\n") << "laid out in 8-byte cells";
}

TEST_F(CommandTest, SetAndGetDevices) {
  auto set = Tool({"set", "D100", "-1234"});
  EXPECT_EQ(set.exit_code, 0) << set.err;
  EXPECT_NE(set.out.find("D100"), std::string::npos);
  EXPECT_EQ(Tool({"set", "D101.3", "1"}).exit_code, 0);
  EXPECT_EQ(Tool({"set", "Y1F", "1"}).exit_code, 0);
  auto got = Tool({"get", "D100", "D101", "D101.3", "Y1F", "K50"});
  EXPECT_EQ(got.exit_code, 0) << got.err;
  EXPECT_TRUE(HasRow(got.out, "D100", -1234)) << got.out;
  EXPECT_TRUE(HasRow(got.out, "D101", 8)) << got.out;
  EXPECT_TRUE(HasRow(got.out, "D101.3", 1)) << got.out;
  EXPECT_TRUE(HasRow(got.out, "Y1F", 1)) << got.out;
  EXPECT_TRUE(HasRow(got.out, "K50", 50)) << got.out;
}

TEST_F(CommandTest, SetAndGetRefuseBadOperandsAndValues) {
  for (const std::vector<std::string>& args :
       {std::vector<std::string>{"set", "M5", "2"}, {"set", "SM400", "1"}, {"set", "R5", "1"},
        {"set", "D100", "12x"}, {"set", "D100", "4294967296"}, {"get", "H10"}, {"get", "D100", "L10Z1"},
        {"watch", "K-5"}}) {
    auto result = Tool(args);
    EXPECT_EQ(result.exit_code, 2) << args[0] << " " << args[1];
    EXPECT_NE(result.err.find("quorsma: error:"), std::string::npos) << result.err;
  }
}

TEST_F(CommandTest, RunChecksTheWholeProgramBeforeTheFirstScan) {
  const std::string program = dir_.File("bad.il");
  testing::WriteFile(program, "LD SM400\nOUT Y5\nFOO X1\nLD X0 X1\n");
  auto result = Tool({"run", program, "--scans", "3"});
  EXPECT_EQ(result.exit_code, 2);
  EXPECT_NE(result.err.find(program + ":3: unknown instruction 'FOO'"), std::string::npos) << result.err;
  EXPECT_NE(result.err.find(program + ":4: LD takes 1 operand, not 2"), std::string::npos) << result.err;
  EXPECT_NE(result.err.find("nothing was run"), std::string::npos);
  EXPECT_TRUE(HasRow(Tool({"get", "Y5"}).out, "Y5", 0)) << "no rung ran";
}

TEST_F(CommandTest, RunRunsScansAndReportsScanTimes) {
  const std::string program = dir_.File("good.il");
  testing::WriteFile(program, "LD SM400\nOUT Y5\nLD SM400\nINC D7\n");
  auto result = Tool({"run", program, "--scans", "25", "--period", "0"});
  EXPECT_EQ(result.exit_code, 0) << result.err;
  EXPECT_NE(result.out.find("25 scans, scan time min "), std::string::npos) << result.out;
  EXPECT_NE(result.out.find(", median "), std::string::npos);
  EXPECT_TRUE(HasRow(Tool({"get", "D7"}).out, "D7", 25));
}

TEST_F(CommandTest, CtrlCEndsRunAfterTheCurrentScan) {
  const std::string program = dir_.File("forever.il");
  testing::WriteFile(program, "LD SM400\nINC D8\n");
  ChildProcess run(QSMA_TEST_TOOL, {"run", program, "--period", "1"}, env_);
  // Interrupted once it scans (its handler is in place by then), however
  // slowly a busy machine starts it.
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(20);
  while (HasRow(Tool({"get", "D8"}).out, "D8", 0) && std::chrono::steady_clock::now() < deadline)
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
  run.Kill(SIGINT);
  auto result = run.Wait();
  EXPECT_EQ(result.exit_code, 0) << result.err;
  ASSERT_NE(result.out.find(" scans, scan time"), std::string::npos) << result.out;
  const long long scans = std::atoll(result.out.c_str());
  EXPECT_GT(scans, 0);
  auto d8 = Tool({"get", "D8"}).out;
  EXPECT_TRUE(HasRow(d8, "D8", scans)) << "every scan ran whole: " << d8;
}

TEST_F(CommandTest, WatchRedrawsTheTableWithComments) {
  ASSERT_EQ(Tool({"comment", "set", "M", "3", "Pump"}).exit_code, 0);
  auto result = Tool({"watch", "M3", "T0", "--interval", "10", "--count", "3"});
  EXPECT_EQ(result.exit_code, 0) << result.err;
  std::size_t tables = 0;
  for (std::size_t pos = 0; (pos = result.out.find("DEVICE", pos)) != std::string::npos; ++pos) ++tables;
  EXPECT_EQ(tables, 3u);
  EXPECT_NE(result.out.find("Pump"), std::string::npos);
  EXPECT_NE(result.out.find("0.00 s of 0.00 s"), std::string::npos) << result.out;
}

}  // namespace
}  // namespace quorsma::tool
