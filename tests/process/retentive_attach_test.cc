// Saved registers and the processes that attach: they are loaded into a
// section only by the process that makes it, never over the values that a
// running program has written.
#include <gtest/gtest.h>

#include <fstream>

#include "child_process.h"

namespace quorsma::testing {
namespace {

const std::string kChild = QSMA_TEST_CHILD;

TEST(RetentiveAttachTest, ValueWrittenIsNeverReplacedByTheSavedOneWhenAnotherProcessAttaches) {
  ScratchDir dir("retentive-attach");
  const std::string para = dir.path().string();
  // D100 is saved as 42; D1000..D1099 are not saved, so they add up to 0.
  std::ofstream(dir.path() / "_DIO_DV.ini") << "[MODULE_DV]\r\nD000100=42,\r\n";
  std::ofstream(dir.path() / "config.ini")
      << "[LAST_LIST_SETTING]\r\nEQP_NAME=E\r\nPROGRAM_VER=1\r\nRECIPE_CUR_NAME=R\r\nRECIPE_CUR_NUMBER=1\r\n"
      << "MEM_PARA_PATH=" << para << "\r\nMEM_PLC_PATH=" << para << "\r\nQuorUSC__DIRECTORY_SETTING=" << para
      << "\r\nQuorUSC__DIRECTORY_LOG=" << para << "\r\n";
  const std::map<std::string, std::string> env{{"QUORSMA_SECTION", UniqueSectionName("retattach")},
                                               {"QUORSMA_CONFIG", (dir.path() / "config.ini").string()}};

  // The first holder loads the saved value, then a program writes over it
  // (through the image, so the file keeps 42).
  ChildProcess holder(kChild, {"read-d", "100", "write-d", "100", "555", "hold"}, env);
  ASSERT_EQ(holder.ReadLine(), "D[100]=42\n");
  ASSERT_EQ(holder.ReadLine(), "ready\n");
  // Every later attach leaves the written value, the first as the tenth.
  for (int attach = 0; attach < 10; ++attach) {
    ChildResult reader = RunChild(kChild, {"read-d", "100"}, env);
    ASSERT_EQ(reader.out, "D[100]=555\n") << "attach " << attach;
  }
  holder.CloseInput();
  EXPECT_EQ(holder.Wait().exit_code, 0);
  // Once nobody holds the section, the next process makes it afresh and
  // loads the saved value again.
  EXPECT_EQ(RunChild(kChild, {"read-d", "100"}, env).out, "D[100]=42\n");
}

}  // namespace
}  // namespace quorsma::testing
