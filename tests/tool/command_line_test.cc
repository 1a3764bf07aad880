// The tool as a program: exit codes, the section locks, signals.
#include <gtest/gtest.h>

#include <nlohmann/json.hpp>

#include <chrono>
#include <csignal>
#include <map>
#include <string>
#include <thread>
#include <vector>

#include "child_process.h"
#include "tool_test_support.h"

namespace quorsma::tool {
namespace {

using quorsma::testing::ChildProcess;
using quorsma::testing::ChildResult;
using quorsma::testing::RunChild;
using quorsma::testing::UniqueSectionName;

// Commands on a section kept alive by a holder, with lock files of their own.
class ToolProgramTest : public ::testing::Test {
 protected:
  // The holder attaches after the comment file of earlier runs is removed.
  ToolProgramTest()
      : env_{{"QUORSMA_SECTION", UniqueSectionName("cli")}, {"LANG", "C.UTF-8"}, {"QUORSMA_LOCK_DIR", dir_.File("")}},
        holder_((testing::RemoveCommentFile(), QSMA_TEST_CHILD), {"hold"}, env_) {
    EXPECT_EQ(holder_.ReadLine(), "ready\n");
    testing::WriteFile(program_, "LD X0\nOUT Y0\n");
  }
  ~ToolProgramTest() override {
    holder_.CloseInput();
    holder_.Wait();
  }
  ChildResult Tool(const std::vector<std::string>& args) { return RunChild(QSMA_TEST_TOOL, args, env_); }

  // Runs `args` until `done` accepts the result, for at most 10 s.
  template <typename Done>
  ChildResult ToolUntil(const std::vector<std::string>& args, Done done) {
    ChildResult result;
    for (int i = 0; i < 100; ++i) {
      result = Tool(args);
      if (done(result)) break;
      std::this_thread::sleep_for(std::chrono::milliseconds(100));
    }
    return result;
  }

  // Waits (at most 10 s) until `pid` holds the section's lock of `job`.
  bool WaitForLock(const std::string& job, int pid) {
    const std::string path = dir_.File("quorsma." + env_["QUORSMA_SECTION"] + "." + job + ".lock");
    for (int i = 0; i < 200; ++i) {
      if (testing::ReadFile(path) == std::to_string(pid) + "\n") return true;
      std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
    return false;
  }

  testing::TempDir dir_;
  std::string program_ = dir_.File("ok.il");
  std::map<std::string, std::string> env_;
  ChildProcess holder_;
};

TEST_F(ToolProgramTest, ExitCodesAreZeroOneOrTwo) {
  const struct {
    std::vector<std::string> args;
    int code;
  } cases[] = {
      {{"--version"}, 0},
      {{"help"}, 0},
      {{"help", "run"}, 0},
      {{"get", "--help"}, 0},
      {{}, 2},
      {{"bogus"}, 2},
      {{"help", "bogus"}, 2},
      {{"get"}, 2},
      {{"get", "D0", "--bogus"}, 2},
      {{"watch", "D0", "--interval", "1"}, 2},
      {{"run", "/nonexistent.il"}, 2},
      {{"run", "--scans", "0", "x.il"}, 2},
      {{"log", "--seconds", "nan"}, 2},
      {{"log", "--output", ""}, 2},
      {{"demo", "--program", "/nonexistent.il"}, 2},
  };
  for (const auto& c : cases) {
    const ChildResult result = Tool(c.args);
    std::string line;
    for (const std::string& a : c.args) line += a + " ";
    EXPECT_EQ(result.exit_code, c.code) << line << result.err;
    if (c.code != 0) {
      EXPECT_EQ(result.err.rfind("quorsma: error: ", 0), 0u) << line << result.err;
    }
  }
  EXPECT_EQ(Tool({"--version"}).out.rfind("quorsma ", 0), 0u);
}

TEST_F(ToolProgramTest, AMissingOrBadInputFileReadsTheSameInEveryCommand) {
  const std::string missing = dir_.File("missing.il");
  for (const std::vector<std::string>& args : std::vector<std::vector<std::string>>{
           {"run", missing},
           {"demo", "--program", missing},
           {"devices", missing},
           {"comment", "import", missing},
           {"restore", missing}}) {
    const ChildResult result = Tool(args);
    EXPECT_EQ(result.exit_code, 2) << args[0];
    EXPECT_EQ(result.err, "quorsma: error: cannot read " + missing + ": No such file or directory\n") << args[0];
  }
  testing::WriteFile(program_, "LD X0\nOUT Q5\n");
  const ChildResult run = Tool({"run", program_, "--scans", "1"});
  const ChildResult demo = Tool({"demo", "--program", program_, "--seconds", "0.1"});
  EXPECT_EQ(run.exit_code, 2);
  EXPECT_EQ(demo.exit_code, 2) << demo.err;
  EXPECT_EQ(demo.err, run.err);
}

TEST_F(ToolProgramTest, OneRunnerAndOneCollectorPerSection) {
  ChildProcess runner(QSMA_TEST_TOOL, {"run", program_}, env_);
  ChildProcess collector(QSMA_TEST_TOOL, {"log"}, env_);
  const std::string runner_busy = "another runner is running (pid " + std::to_string(runner.pid()) + ")";
  const std::string collector_busy = "another collector is running (pid " + std::to_string(collector.pid()) + ")";
  ASSERT_TRUE(WaitForLock("runner", runner.pid()));
  ASSERT_TRUE(WaitForLock("collector", collector.pid()));
  ChildResult second = Tool({"run", program_, "--scans", "1"});
  EXPECT_EQ(second.exit_code, 1);
  EXPECT_NE(second.err.find(runner_busy), std::string::npos) << second.err;
  second = Tool({"log", "--seconds", "0.1"});
  EXPECT_EQ(second.exit_code, 1);
  EXPECT_NE(second.err.find(collector_busy), std::string::npos) << second.err;

  runner.Kill(SIGKILL);  // the lock goes with its holder, however it ends
  runner.Wait();
  EXPECT_EQ(Tool({"run", program_, "--scans", "1", "-q"}).exit_code, 0);
  collector.Kill(SIGINT);
  EXPECT_EQ(collector.Wait().exit_code, 0);
}

TEST_F(ToolProgramTest, LogPutsLoggingBackWhenTheTerminalHangsUp) {
  for (int signal : {SIGHUP, SIGTERM}) {
    ChildProcess collector(QSMA_TEST_TOOL, {"log", "--enable"}, env_);
    ChildResult info = ToolUntil({"info"}, [](const ChildResult& r) {
      return r.out.find("LogEnable          1") != std::string::npos;
    });
    ASSERT_NE(info.out.find("LogEnable          1"), std::string::npos) << info.out;
    collector.Kill(signal);
    EXPECT_EQ(collector.Wait().exit_code, 0) << signal;
    EXPECT_NE(Tool({"info"}).out.find("LogEnable          0"), std::string::npos) << signal;
  }
}

TEST_F(ToolProgramTest, ForcesHoldAgainstARunningProgram) {
  testing::WriteFile(program_, "LD X0\nOUT Y0\nLDI X0\nOUT M5\n");
  ChildProcess runner(QSMA_TEST_TOOL, {"run", program_, "--period", "1"}, env_);
  ASSERT_TRUE(WaitForLock("runner", runner.pid()));
  ASSERT_EQ(Tool({"force", "X0", "1"}).exit_code, 0);
  ASSERT_EQ(Tool({"force", "M5", "1"}).exit_code, 0);
  // The program drives Y0 from the forced input and M5 to 0, which the force overrides after each scan.
  ChildResult got = ToolUntil({"get", "Y0", "M5", "X0", "-V"}, [](const ChildResult& r) { return r.out == "1\n1\n1\n"; });
  EXPECT_EQ(got.out, "1\n1\n1\n");
  EXPECT_NE(Tool({"get", "X0"}).out.find("X0 F"), std::string::npos) << "forced devices are marked";
  EXPECT_EQ(Tool({"force", "--list"}).out, "X0\t1\nM5\t1\n");
  EXPECT_EQ(Tool({"force", "X1", "2"}).exit_code, 2);
  EXPECT_EQ(Tool({"force", "--clear", "X1"}).exit_code, 2) << "not forced";

  ASSERT_EQ(Tool({"force", "--clear"}).exit_code, 0);
  // The runner takes up the cleared table within a moment; until then it writes X0 back.
  got = ToolUntil({"get", "Y0", "M5", "-V"}, [&](const ChildResult& r) {
    return r.out == "0\n1\n" || Tool({"set", "X0", "0"}).exit_code != 0;
  });
  EXPECT_EQ(got.out, "0\n1\n") << "the program drives its devices again";
  runner.Kill(SIGINT);
  EXPECT_EQ(runner.Wait().exit_code, 0);
}

TEST_F(ToolProgramTest, SetChecksEveryWriteBeforeMakingAny) {
  EXPECT_EQ(Tool({"set", "D100=7", "X1=2"}).exit_code, 2);
  EXPECT_EQ(Tool({"get", "D100", "-V"}).out, "0\n") << "the good write was not made either";
  const ChildResult set = Tool({"set", "X0=1", "k2y10=0x81", "D100=-5"});
  EXPECT_EQ(set.exit_code, 0) << set.err;
  EXPECT_EQ(set.err, "") << "the holder keeps the section, so no warning";
  EXPECT_EQ(Tool({"get", "X0", "Y10..Y17", "D100", "-V", "--format", "hex"}).out,
            "0x1\n0x1\n0x0\n0x0\n0x0\n0x0\n0x0\n0x0\n0x1\n0xFFFB\n");
}

TEST_F(ToolProgramTest, CommentTextsThatWouldBeStoredWrongAreRefused) {
  const std::string utf8 = dir_.File("utf8.txt"), control = dir_.File("control.txt");
  testing::WriteFile(utf8, "M20=\xED\x8E\x8C\xED\x94\x84\n");
  testing::WriteFile(control, "M20=ok\r\nM21=a\x1B[2Jb\r\n");
  for (const std::vector<std::string>& args : std::vector<std::vector<std::string>>{
           {"comment", "import", "/dev/zero"},
           {"comment", "import", utf8},
           {"comment", "import", control},
           {"comment", "set", "M", "1", "a\rb"},
           {"comment", "set", "M", "1", "\x1B[31m"}}) {
    const ChildResult result = Tool(args);
    EXPECT_EQ(result.exit_code, 2) << args[2] << " " << args.back() << result.err;
  }
  EXPECT_EQ(Tool({"comment", "get", "M20"}).out, "M20\t(no comment)\n") << "nothing was imported";
  // A comment another program stored with control characters is shown escaped.
  RunChild(QSMA_TEST_CHILD, {"modify", "M", "21", "a\x1B[2J\tb"}, env_);
  EXPECT_EQ(Tool({"comment", "get", "M21"}).out, "M21\ta\\x1B[2J\\tb\n");
  env_["LC_ALL"] = "C";
  env_["LANG"] = "C";
  EXPECT_EQ(Tool({"comment", "set", "M", "1", "\xED\x8E\x8C"}).exit_code, 2) << "what the bytes are is unknown";
  EXPECT_EQ(Tool({"comment", "set", "M", "1", "\xED\x8E\x8C", "--encoding", "utf8"}).exit_code, 0);
  EXPECT_EQ(Tool({"comment", "import", "--utf8", utf8}).exit_code, 0);
}

TEST_F(ToolProgramTest, DevicesListsEachDeviceOnceInDeviceOrder) {
  testing::WriteFile(program_, "LD x0\nAND SM400\nOUT T1 K30\nLD X0\nADD K5 d3\nLD T1\nOUT Y0\n");
  ASSERT_EQ(Tool({"set", "D3=-7"}).exit_code, 0);
  const ChildResult csv = Tool({"devices", program_, "--csv"});
  EXPECT_EQ(csv.exit_code, 0) << csv.err;
  EXPECT_EQ(csv.out, "operand,value,comment,forced,timer_current,timer_set,timer_coil\n"
                     "X0,0,,0,,,\nY0,0,,0,,,\nT1,0,,0,0,0,0\nD3,-7,,0,,,\n");
  testing::WriteFile(program_, "LD X0\nOUT Q5\n");
  EXPECT_EQ(Tool({"devices", program_}).exit_code, 2);
}

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
  const std::vector<std::string> ranges = {"dump", "X0..X3,Y1F", "M0..M2", "D100..D102", "Z1", "W1F", "--comments"};
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

TEST_F(ToolProgramTest, InfoAsJsonAndCsv) {
  const ChildResult json = Tool({"info", "--json"});
  ASSERT_EQ(json.exit_code, 0) << json.err;
  const nlohmann::json info = nlohmann::json::parse(json.out);
  EXPECT_EQ(info["section"], env_["QUORSMA_SECTION"]);
  EXPECT_EQ(info["LogEnable"], 0);
  EXPECT_TRUE(info["configuration_file"].is_string());
  const ChildResult csv = Tool({"info", "--csv"});
  EXPECT_EQ(csv.out.rfind("key,value\nsection," + env_["QUORSMA_SECTION"] + "\n", 0), 0u) << csv.out;
}

}  // namespace
}  // namespace quorsma::tool
