// The tool as a program on a section of its own, kept alive by a holder
// process, with lock files of its own.
#pragma once

#include <gtest/gtest.h>

#include <chrono>
#include <map>
#include <string>
#include <thread>
#include <vector>

#include "child_process.h"
#include "tool_test_support.h"

namespace quorsma::tool::testing {

using quorsma::testing::ChildProcess;
using quorsma::testing::ChildResult;
using quorsma::testing::RunChild;
using quorsma::testing::UniqueSectionName;

class ToolProgramTest : public ::testing::Test {
 protected:
  // The holder attaches after the comment file of earlier runs is removed.
  ToolProgramTest()
      : env_{{"QUORSMA_SECTION", UniqueSectionName("cli")}, {"LANG", "C.UTF-8"}, {"QUORSMA_LOCK_DIR", dir_.File("")}},
        holder_((RemoveCommentFile(), QSMA_TEST_CHILD), {"hold"}, env_) {
    EXPECT_EQ(holder_.ReadLine(), "ready\n");
    WriteFile(program_, "LD X0\nOUT Y0\n");
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
      if (ReadFile(path) == std::to_string(pid) + "\n") return true;
      std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
    return false;
  }

  TempDir dir_;
  std::string program_ = dir_.File("ok.il");
  std::map<std::string, std::string> env_;
  ChildProcess holder_;
};

}  // namespace quorsma::tool::testing
