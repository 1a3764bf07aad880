#include "cli/client_names.h"

#include <gtest/gtest.h>

#include <chrono>
#include <csignal>
#include <regex>
#include <thread>

#include "child_process.h"
#include "cli/text_encoding.h"
#include "tool_test_support.h"

namespace quorsma::tool {
namespace {

using quorsma::testing::ChildProcess;
using quorsma::testing::RunChild;
using quorsma::testing::UniqueSectionName;

class CollectorTest : public testing::LibraryImageTest {};

TEST_F(CollectorTest, TakesAPendingLineAndClearsTheFlag) {
  Collector collector(image);
  std::string line;
  EXPECT_FALSE(collector.Take(&line));
  std::strcpy(image->LogLine, "VC => M[0005]=0 => 1 \t: PUMP");
  image->LogLinePending = 1;
  ASSERT_TRUE(collector.Take(&line));
  EXPECT_EQ(line, "VC => M[0005]=0 => 1 \t: PUMP");
  EXPECT_EQ(image->LogLinePending, 0);
  EXPECT_FALSE(collector.Take(&line)) << "a line is taken once";
}

TEST_F(CollectorTest, AnUnterminatedLineIsReadNoFurtherThanItsField) {
  Collector collector(image);
  std::memset(image->LogLine, 'x', sizeof image->LogLine);
  image->LogLinePending = 1;
  std::string line;
  ASSERT_TRUE(collector.Take(&line));
  EXPECT_EQ(line.size(), sizeof image->LogLine);
}

TEST_F(CollectorTest, TakesTheLinesOfTheLibrarysOwnChecks) {
  Collector collector(image);
  collector.EnableLogging();
  EXPECT_EQ(image->LogEnable, 1);
  SetSma("M7", 1);
  std::string line;
  ASSERT_TRUE(collector.Take(&line));
  EXPECT_EQ(line.rfind("VC => M[0007]=0 => 1 \t: ", 0), 0u) << line;
  collector.Restore();
  EXPECT_EQ(image->LogEnable, 0) << "the earlier setting is put back";
}

TEST(TimestampTest, PrefixesLocalTimeToTheMillisecond) {
  const std::string stamped = TimestampLine(std::chrono::system_clock::now(), "VC => D[0100]=0 => 5 \t: ");
  EXPECT_TRUE(std::regex_match(stamped, std::regex(R"(\d{4}-\d\d-\d\d \d\d:\d\d:\d\d\.\d{3}  VC => D\[0100\]=0 => 5 	: )")))
      << stamped;
}

// The collector as a program, against producer programs in other processes.
TEST(CollectorProcessTest, CollectsLinesOfOtherProcessesWithTheirComments) {
  testing::TempDir dir;
  testing::RemoveCommentFile();
  const std::string section = UniqueSectionName("collector");
  const std::map<std::string, std::string> env = {{"QUORSMA_SECTION", section}, {"LANG", "C.UTF-8"}};
  const std::string file = dir.File("log.txt");
  ChildProcess collector(QSMA_TEST_TOOL, {"log", "--enable", "--count", "2", "--output", file}, env);
  // Wait until the collector has switched logging on.
  bool enabled = false;
  for (int i = 0; i < 200 && !enabled; ++i) {
    enabled = RunChild(QSMA_TEST_TOOL, {"info"}, env).out.find("LogEnable          1") != std::string::npos;
    if (!enabled) std::this_thread::sleep_for(std::chrono::milliseconds(20));
  }
  ASSERT_TRUE(enabled);
  ASSERT_EQ(RunChild(QSMA_TEST_TOOL, {"comment", "set", "M", "5", "펌프 모터"}, env).exit_code, 0);
  ASSERT_EQ(RunChild(QSMA_TEST_TOOL, {"set", "M5", "1"}, env).exit_code, 0);
  // The next change is produced only once the first line has been taken.
  for (int i = 0; i < 200 && RunChild(QSMA_TEST_TOOL, {"info"}, env).out.find("LogLinePending     0") ==
                                 std::string::npos;
       ++i)
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  ASSERT_EQ(RunChild(QSMA_TEST_TOOL, {"set", "M5", "0"}, env).exit_code, 0);
  auto result = collector.Wait();
  ASSERT_EQ(result.exit_code, 0) << result.err;
  EXPECT_NE(result.err.find("2 lines collected"), std::string::npos) << result.err;

  const std::string log = testing::ReadFile(file);
  std::string comment;
  ASSERT_TRUE(Utf8ToCp949("펌프 모터", &comment));
  EXPECT_TRUE(std::regex_search(log, std::regex(R"(\d\d:\d\d:\d\d\.\d{3}  VC => M\[0005\]=0 => 1 	: )")))
      << log;
  EXPECT_NE(log.find("VC => M[0005]=0 => 1 \t: " + comment + "\n"), std::string::npos) << "CP949 in the file";
  EXPECT_NE(log.find("VC => M[0005]=1 => 0 \t: " + comment + "\n"), std::string::npos);
}

TEST(CollectorProcessTest, ShowsLinesOnTheTerminalInUtf8AndStopsOnCtrlC) {
  testing::RemoveCommentFile();
  const std::string section = UniqueSectionName("collector_stdout");
  const std::map<std::string, std::string> env = {{"QUORSMA_SECTION", section}, {"LANG", "C.UTF-8"}};
  ChildProcess collector(QSMA_TEST_TOOL, {"log", "--enable"}, env);
  bool enabled = false;
  for (int i = 0; i < 200 && !enabled; ++i) {
    enabled = RunChild(QSMA_TEST_TOOL, {"info"}, env).out.find("LogEnable          1") != std::string::npos;
    if (!enabled) std::this_thread::sleep_for(std::chrono::milliseconds(20));
  }
  ASSERT_TRUE(enabled);
  ASSERT_EQ(RunChild(QSMA_TEST_TOOL, {"comment", "set", "W", "1A", "통신"}, env).exit_code, 0);
  ASSERT_EQ(RunChild(QSMA_TEST_TOOL, {"set", "W1A", "300"}, env).exit_code, 0);
  const std::string line = collector.ReadLine();
  EXPECT_NE(line.find("VC => W[001A]=0 => 300 \t: 통신"), std::string::npos) << line;
  collector.Kill(SIGINT);
  auto result = collector.Wait();
  EXPECT_EQ(result.exit_code, 0) << "Ctrl-C ends the collector cleanly";
  EXPECT_NE(result.err.find("1 line collected"), std::string::npos) << result.err;
}

}  // namespace
}  // namespace quorsma::tool
