// Changes that other processes must not lose: comments changed while other
// programs attach (each attach loads the comment file), and the last change
// a ladder instruction makes to a retentive register before its program
// ends.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <map>
#include <string>

#include "child_process.h"

namespace quorsma::testing {
namespace {

const std::string kChild = QSMA_TEST_CHILD;

class DurabilityProcessTest : public ::testing::Test {
 protected:
  DurabilityProcessTest() {
    std::filesystem::create_directories(dir / "Resource" / "Others");
    // Every child reads this configuration at attach (and so loads the
    // comment file of `dir`).
    std::ofstream(dir / "config.ini") << "[LAST_LIST_SETTING]\r\nMEM_PARA_PATH=" << dir.string()
                                      << "\r\nMEM_PLC_PATH=" << dir.string() << "\r\n";
    env["QUORSMA_CONFIG"] = (dir / "config.ini").string();
  }

  ScratchDir scratch{"durability"};
  const std::filesystem::path dir = scratch.path();
  std::map<std::string, std::string> env{{"QUORSMA_SECTION", UniqueSectionName("durable")}};
};

TEST_F(DurabilityProcessTest, CommentChangesSurviveConcurrentAttaches) {
  ChildProcess holder(kChild, {"hold"}, env);
  ASSERT_EQ(holder.ReadLine(), "ready\n");
  constexpr int kFirst = 200, kCount = 25;
  ChildProcess editor(kChild, {"modify-range", std::to_string(kFirst), std::to_string(kCount)}, env);
  // Programs attach (and load the comment file) again and again while the
  // editor works.
  for (int k = 0; k < 40; ++k)
    if (RunChild(kChild, {"mapped"}, env).out != "mapped 1\n") ADD_FAILURE() << "attach " << k;
  EXPECT_EQ(editor.ReadLine(), "modified\n");
  editor.Wait();
  for (int n = kFirst; n < kFirst + kCount; ++n) {
    const std::string expected = "comment-m " + std::to_string(n) + "=set-" + std::to_string(n) + "\n";
    EXPECT_EQ(RunChild(kChild, {"comment-m", std::to_string(n)}, env).out, expected);
  }
  holder.CloseInput();
  holder.Wait();
}

TEST_F(DurabilityProcessTest, LastInstructionWriteOfARetentiveRegisterIsSaved) {
  ChildProcess holder(kChild, {"hold"}, env);
  ASSERT_EQ(holder.ReadLine(), "ready\n");
  RunChild(kChild, {"set", "D350", "199"}, env);
  EXPECT_NE(ReadFileBytes(dir / "_DIO_DV.ini").find("D000350=199,"), std::string::npos);
  RunChild(kChild, {"inc", "D350"}, env);  // one scan, then the program ends
  EXPECT_EQ(RunChild(kChild, {"read-d", "350"}, env).out, "D[350]=200\n");
  EXPECT_NE(ReadFileBytes(dir / "_DIO_DV.ini").find("D000350=200,"), std::string::npos);
  holder.CloseInput();
  holder.Wait();
}

}  // namespace
}  // namespace quorsma::testing
