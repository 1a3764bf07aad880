// The runner reaches every instruction the library exports: each exported
// name, apart from the calls that are not ladder instructions, is in the
// tool's instruction table, and nothing in the table is missing from the
// library's export list.
#include <gtest/gtest.h>

#include <fstream>
#include <set>
#include <string>

#include "runner/instruction_table.h"

namespace quorsma::tool {
namespace {

// Exports that are not instructions of a program: segment and handles,
// sinks, operand and device access, the stack primitives, the log and the
// comment editors.
const std::set<std::string> kNotInstructions = {
    "smCreateSharedMemory", "smDelateSharedMemory", "smGetMemoryPointer", "smSethWndComm", "smGethWndComm",
    "smSethWndMsg", "smGethWndMsg", "smSetMessageSink", "smSetTraceSink", "GetIndex", "ResolveOP", "GetSma",
    "GetValue2Word", "SmaGetPoint", "GetComSma", "SmaTGet", "SetSma", "SmaTSet", "SM", "Push", "Pop_p", "CheckPulse",
    "smLogWrite_M", "smLogWrite_B", "smLogWrite_L", "smLogWrite_D", "smLogWrite_W", "Set_Map",
    "smModifyMemoryComment", "smModifyMemoryComment_FromFile"};

TEST(InstructionTableTest, CoversEveryInstructionExport) {
  std::ifstream in(QSMA_EXPORT_LIST);
  ASSERT_TRUE(in) << QSMA_EXPORT_LIST;
  std::set<std::string> exported;
  for (std::string name; std::getline(in, name);) {
    if (name.empty()) continue;
    exported.insert(name);
    if (kNotInstructions.count(name) == 0) {
      EXPECT_NE(FindInstruction(name), nullptr) << name;
    }
  }
  for (const InstructionInfo& info : AllInstructions()) EXPECT_EQ(exported.count(info.name), 1u) << info.name;
  for (const std::string& name : kNotInstructions) EXPECT_EQ(exported.count(name), 1u) << name;
}

}  // namespace
}  // namespace quorsma::tool
