// dump and restore as programs, and comment files that cannot be written.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tool_program_test.h"

namespace quorsma::tool {
namespace {

using testing::ChildResult;
using testing::ToolProgramTest;

// A dump without its second line, which holds the time.
std::string Timeless(const std::string& dump) {
  const std::size_t first = dump.find('\n'), second = dump.find('\n', first + 1);
  return second == std::string::npos ? dump : dump.substr(0, first + 1) + dump.substr(second + 1);
}

TEST_F(ToolProgramTest, DumpAndRestoreRoundTripValuesAndComments) {
  ASSERT_EQ(Tool({"set", "X1=1", "Y1F=1", "M2=1", "D100=-5", "D101=70000", "Z1=-1", "W1F=0x7FFF"}).exit_code, 0);
  ASSERT_EQ(Tool({"comment", "set", "X", "0", "시작 버튼"}).exit_code, 0);
  ASSERT_EQ(Tool({"comment", "set", "D", "100", "a\\b\\x41"}).exit_code, 0);
  ASSERT_EQ(Tool({"comment", "set", "M", "1", "펌프 운전"}).exit_code, 0);
  // D101 and X1 twice: a dump holds each device once, as restore needs.
  const std::vector<std::string> ranges = {"dump",      "X0..X3,Y1F", "M0..M2", "D100..D102",
                                           "D101,X1", "Z1",         "W1F",    "--comments"};
  const ChildResult before = Tool(ranges);
  ASSERT_EQ(before.exit_code, 0) << before.err;
  const std::string text = dir_.File("snapshot.txt"), json = dir_.File("snapshot.json");
  testing::WriteFile(text, before.out);
  std::vector<std::string> as_json = ranges;
  as_json.push_back("--json");
  testing::WriteFile(json, Tool(as_json).out);

  for (const std::string& file : {text, json}) {
    ASSERT_EQ(Tool({"set", "X1=0", "Y1F=0", "M2=0", "D100=1", "D101=2", "Z1=3", "W1F=4"}).exit_code, 0);
    ASSERT_EQ(Tool({"comment", "set", "X", "0", "changed"}).exit_code, 0);
    ASSERT_EQ(Tool({"comment", "set", "M", "1", ""}).exit_code, 0);
    const ChildResult restore = Tool({"restore", file, "--comments"});
    EXPECT_EQ(restore.exit_code, 0) << file << restore.err;
    EXPECT_EQ(restore.out, "13 values restored, 2 comments changed\n") << file;
    EXPECT_EQ(Timeless(Tool(ranges).out), Timeless(before.out)) << file;
  }
  EXPECT_NE(before.out.find("D100\t-5\ta\\\\b\\\\x41\n"), std::string::npos) << before.out;

  // Without --comments the values come back and the comments stay.
  ASSERT_EQ(Tool({"comment", "set", "X", "0", "changed"}).exit_code, 0);
  EXPECT_EQ(Tool({"restore", text}).exit_code, 0);
  EXPECT_EQ(Tool({"comment", "get", "X0"}).out, "X0\tchanged\n");
}

TEST_F(ToolProgramTest, ADumpToAClosedOutputFailsAndWritesNothingElsewhere) {
  // Started with standard output closed, the program holds the section's
  // objects on other descriptors, so the dump's write fails.
  const ChildResult dump = testing::RunChild("/bin/sh", {"-c", "exec \"$0\" dump D0 >&-", QSMA_TEST_TOOL}, env_);
  EXPECT_EQ(dump.exit_code, 1) << dump.err;
  EXPECT_NE(dump.err.find("cannot write standard output"), std::string::npos) << dump.err;
  EXPECT_EQ(Tool({"dump", "D0"}).exit_code, 0) << "the section is whole";
}

TEST_F(ToolProgramTest, OutputThatCannotBeWrittenFailsEveryCommand) {
  for (const char* command : {"get D0 >&-", "info >/dev/full", "get D0..D9 --json >/dev/full", "--version >&-"}) {
    const ChildResult r =
        testing::RunChild("/bin/sh", {"-c", std::string("exec \"$0\" ") + command, QSMA_TEST_TOOL}, env_);
    EXPECT_EQ(r.exit_code, 1) << command << ": " << r.err;
    EXPECT_NE(r.err.find("cannot write standard output"), std::string::npos) << command << ": " << r.err;
  }
}

TEST_F(ToolProgramTest, RestoreChecksTheWholeFileBeforeWritingAny) {
  const std::string file = dir_.File("bad.txt");
  testing::WriteFile(file, "D100\t5\nQ1\t3\nX0\t2\nD100\t1\nM0 1\tbad\\q\n");
  const ChildResult restore = Tool({"restore", file});
  EXPECT_EQ(restore.exit_code, 2);
  for (const std::string& expected :
       {file + ":2: operand 'Q1'", file + ":3: X0 is a bit", file + ":4: D100 is given twice (first on line 1)",
        file + ":5: M0: the comment holds a '\\'", std::string("4 errors; nothing was restored")}) {
    EXPECT_NE(restore.err.find(expected), std::string::npos) << expected << "\n" << restore.err;
  }
  EXPECT_EQ(Tool({"get", "D100", "-V"}).out, "0\n");
  EXPECT_EQ(Tool({"restore", "/dev/zero"}).exit_code, 2) << "not a regular file";
}

TEST_F(ToolProgramTest, ACommentFileThatCannotBeWrittenIsReportedWithItsReason) {
  // The installation's configuration, with a PLC directory that lacks Resource/Others.
  std::string config = testing::ReadFile(std::string(QSMA_TOOL_INSTALLATION) + "/../_Configuration/_Configuration.ini");
  const std::size_t at = config.find("MEM_PLC_PATH=");
  ASSERT_NE(at, std::string::npos);
  config.replace(at, config.find('\n', at) - at, "MEM_PLC_PATH=" + dir_.File("plc"));
  testing::WriteFile(dir_.File("config.ini"), config);
  env_["QUORSMA_CONFIG"] = dir_.File("config.ini");
  testing::WriteFile(dir_.File("import.txt"), "M7=pump\n");
  testing::WriteFile(dir_.File("dump.txt"), "M7\t0\tpump\n");
  const std::string reason = "cannot write " + dir_.File("plc") + "/Resource/Others/COMMENT.WCD: No such file or directory";
  for (const std::vector<std::string>& args : std::vector<std::vector<std::string>>{
           {"comment", "set", "M", "7", "pump"},
           {"comment", "import", dir_.File("import.txt")},
           {"restore", dir_.File("dump.txt"), "--comments"}}) {
    const ChildResult result = Tool(args);
    EXPECT_EQ(result.exit_code, 1) << args[0];
    EXPECT_NE(result.err.find("quorsma: error: " + reason), std::string::npos) << result.err;
    ASSERT_EQ(Tool({"comment", "set", "M", "7", ""}).exit_code, 1);  // so that the next one changes it again
  }
}

}  // namespace
}  // namespace quorsma::tool
