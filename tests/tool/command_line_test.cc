// The tool as a program: exit codes, the section locks, signals.
#include <gtest/gtest.h>

#include <nlohmann/json.hpp>

#include <sys/stat.h>

#include <chrono>
#include <csignal>
#include <filesystem>
#include <map>
#include <string>
#include <thread>
#include <vector>

#include "cli/input_file.h"
#include "tool_program_test.h"

namespace quorsma::tool {
namespace {

using testing::ChildProcess;
using testing::ChildResult;
using testing::RunChild;
using testing::ToolProgramTest;

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

TEST_F(ToolProgramTest, OnlyRegularFilesWithinTheirLimitAreRead) {
  const std::string fifo = dir_.File("fifo"), directory = dir_.File("dir"), big = dir_.File("big");
  ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
  std::filesystem::create_directory(directory);
  testing::WriteFile(big, "");
  const struct {
    std::string file;
    std::string reason;
    std::uintmax_t size = 0;  // of `big`
  } files[] = {
      {fifo, "not a regular file (a FIFO)"},
      {"/dev/zero", "not a regular file (a character device)"},
      {directory, "is a directory"},
      {big, "larger than 16777216 bytes", kMaxProgramBytes + 1},
  };
  for (const auto& f : files) {
    if (f.size != 0) std::filesystem::resize_file(f.file, f.size);
    for (const std::vector<std::string>& args : std::vector<std::vector<std::string>>{
             {"run", f.file}, {"demo", "--program", f.file}, {"devices", f.file}}) {
      // Bounded, for a command that would wait on the FIFO.
      std::vector<std::string> bounded = {"-s", "KILL", "20", QSMA_TEST_TOOL};
      bounded.insert(bounded.end(), args.begin(), args.end());
      const ChildResult result = RunChild("/usr/bin/timeout", bounded, env_);
      EXPECT_EQ(result.exit_code, 2) << args[0] << " " << f.file;
      EXPECT_EQ(result.err, "quorsma: error: cannot read " + f.file + ": " + f.reason + "\n") << args[0];
    }
  }
  std::filesystem::resize_file(big, kMaxImportBytes + 1);
  for (const std::string& file : {fifo, big}) {
    for (const std::vector<std::string>& args :
         std::vector<std::vector<std::string>>{{"comment", "import", file}, {"restore", file}}) {
      std::vector<std::string> bounded = {"-s", "KILL", "20", QSMA_TEST_TOOL};
      bounded.insert(bounded.end(), args.begin(), args.end());
      const ChildResult result = RunChild("/usr/bin/timeout", bounded, env_);
      EXPECT_EQ(result.exit_code, 2) << args[0] << " " << file;
      EXPECT_EQ(result.err, "quorsma: error: cannot read " + file + ": " +
                                (file == fifo ? "not a regular file (a FIFO)" : "larger than 268435456 bytes") + "\n")
          << args[0];
    }
  }
}

TEST_F(ToolProgramTest, ReadingASectionNobodyHoldsWarns) {
  const std::string warning = "no other process holds the section";
  EXPECT_EQ(Tool({"get", "D0"}).err.find(warning), std::string::npos) << "the test's holder holds it";
  std::map<std::string, std::string> alone = env_;
  alone["QUORSMA_SECTION"] = quorsma::testing::UniqueSectionName("alone");
  for (const std::vector<std::string>& args : std::vector<std::vector<std::string>>{
           {"get", "D0"}, {"watch", "D0", "--count", "1"}, {"dump", "D0..D1"}}) {
    const ChildResult result = RunChild(QSMA_TEST_TOOL, args, alone);
    EXPECT_EQ(result.exit_code, 0) << args[0] << ": " << result.err;
    EXPECT_NE(result.err.find(warning), std::string::npos) << args[0] << ": " << result.err;
  }
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

TEST_F(ToolProgramTest, ADamagedForceTableKeepsTheRunnersForcesUntilCleared) {
  testing::WriteFile(program_, "LDI X0\nOUT M5\n");  // drives M5 to 1
  ASSERT_EQ(Tool({"force", "M5", "0"}).exit_code, 0);
  // Scans far apart, so that a read rarely falls between the program's write
  // of M5 and the force's write after the scan.
  ChildProcess runner(QSMA_TEST_TOOL, {"run", program_, "--period", "200"}, env_);
  ASSERT_TRUE(WaitForLock("runner", runner.pid()));
  const std::string path = dir_.File("quorsma." + env_["QUORSMA_SECTION"] + ".forces");
  const std::string damaged = testing::ReadFile(path) + "M6 x\n";
  testing::WriteFile(path + ".tmp", damaged);
  std::filesystem::rename(path + ".tmp", path);
  // The runner looks at the table after every scan: the force holds all along.
  for (int i = 0; i < 15; ++i) {
    EXPECT_EQ(Tool({"get", "M5", "-V"}).out, "0\n") << i;
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
  }
  const std::string reason = path + " is damaged (line 3: the value is not a 32-bit integer)";
  ChildResult listed = Tool({"force", "--list"});
  EXPECT_EQ(listed.exit_code, 1);
  EXPECT_EQ(listed.err, "quorsma: error: " + reason + "; 'quorsma force --clear' replaces it\n");
  const ChildResult cleared = Tool({"force", "--clear"});
  EXPECT_EQ(cleared.exit_code, 0);
  EXPECT_EQ(cleared.err, "quorsma: warning: " + reason + ": replaced by a new table\n");
  EXPECT_EQ(cleared.out, "0 forces cleared\n");
  const ChildResult got = ToolUntil({"get", "M5", "-V"}, [](const ChildResult& r) { return r.out == "1\n"; });
  EXPECT_EQ(got.out, "1\n") << "the program drives M5 again";
  runner.Kill(SIGINT);
  const ChildResult ended = runner.Wait();
  EXPECT_EQ(ended.exit_code, 0);
  EXPECT_EQ(ended.err.find("quorsma: warning: the forces stay as they were: " + reason +
                           "; 'quorsma force --clear' replaces it\n"),
            ended.err.rfind("quorsma: warning: the forces stay"))
      << "said once: " << ended.err;
  EXPECT_NE(ended.err.find(reason), std::string::npos) << ended.err;
}

TEST_F(ToolProgramTest, SetChecksEveryWriteBeforeMakingAny) {
  EXPECT_EQ(Tool({"set", "D100=7", "X1=2"}).exit_code, 2);
  EXPECT_EQ(Tool({"set", "D100=7", "K4M0Z1=5"}).exit_code, 2) << "an index register would move the bits";
  EXPECT_EQ(Tool({"get", "D100", "-V"}).out, "0\n") << "the good write was not made either";
  const ChildResult set = Tool({"set", "X0=1", "k2y10=0x81", "D100=-5"});
  EXPECT_EQ(set.exit_code, 0) << set.err;
  EXPECT_EQ(set.err, "") << "the holder keeps the section, so no warning";
  EXPECT_EQ(Tool({"get", "X0", "Y10..Y17", "D100", "-V", "--format", "hex"}).out,
            "0x1\n0x1\n0x0\n0x0\n0x0\n0x0\n0x0\n0x0\n0x1\n0xFFFB\n");
  // An index register pointing outside the area refuses the write, and the good one with it.
  ASSERT_EQ(Tool({"set", "Z1=-5"}).exit_code, 0);
  const ChildResult outside = Tool({"set", "D100=1", "D2Z1=5"});
  EXPECT_EQ(outside.exit_code, 2);
  EXPECT_NE(outside.err.find("D2Z1: Z1 = -5 puts it outside the D area"), std::string::npos) << outside.err;
  EXPECT_EQ(Tool({"set", "D7Z1=9"}).exit_code, 0);
  EXPECT_EQ(Tool({"get", "D100", "D2", "-V"}).out, "-5\n9\n");
  // A digit group takes 0 to its top value in either radix, and nothing beyond.
  for (const char* bad : {"K1X0=16", "K2Y10=-1", "K8Y0=-2147483649", "K8Y0=0x100000000"})
    EXPECT_EQ(Tool({"set", bad}).exit_code, 2) << bad;
  for (const char* all_ones : {"K8Y0=0xFFFFFFFF", "K8Y0=4294967295", "K8Y0=-1"}) {
    ASSERT_EQ(Tool({"set", "K8Y0=0"}).exit_code, 0);
    const ChildResult r = Tool({"set", all_ones});
    EXPECT_EQ(r.exit_code, 0) << all_ones << ": " << r.err;
    EXPECT_EQ(Tool({"get", "Y0", "Y1F", "-V"}).out, "1\n1\n") << all_ones;
  }
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
