// QuorSMA.dll as Windows clients see it: loaded by LoadLibrary, exports found
// by their undecorated names and called with their conventions, and shared
// between processes (the section and the SHARDATA handle).
#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>
#include <map>
#include <string>
#include <vector>

#include "quorsma/quorsma.h"
#include "support/test_image.h"
#include "win_process.h"

namespace quorsma::testing {
namespace {

const std::string kChild = ProgramDirectory() + "qsma_win_child.exe";

// Every attach reads _Configuration\_Configuration.ini beside the program;
// with every key present no message box can wait for a user.
class ConfigurationBesideTheTests : public ::testing::Environment {
 public:
  void SetUp() override {
    std::string dir = ProgramDirectory();
    std::string data = dir + "test-data";
    CreateDirectoryA(data.c_str(), nullptr);
    CreateDirectoryA((dir + "_Configuration").c_str(), nullptr);
    std::ofstream ini(dir + "_Configuration\\_Configuration.ini", std::ios::binary | std::ios::trunc);
    ini << "[LAST_LIST_SETTING]\r\n"
        << "EQP_NAME=WINE-TEST\r\nPROGRAM_VER=1\r\nRECIPE_CUR_NAME=R\r\nRECIPE_CUR_NUMBER=1\r\n"
        << "MEM_PARA_PATH=" << data << "\r\nMEM_PLC_PATH=" << data << "\r\n"
        << "QuorUSC__DIRECTORY_SETTING=" << data << "\r\nQuorUSC__DIRECTORY_LOG=" << data << "\r\n";
  }
};
const auto* const kConfiguration = ::testing::AddGlobalTestEnvironment(new ConfigurationBesideTheTests);

std::vector<std::string> ExportNames() {
  std::ifstream in(ProgramDirectory() + "export_names.txt");
  std::vector<std::string> names;
  for (std::string line; std::getline(in, line);) {
    while (!line.empty() && (line.back() == '\r' || line.back() == ' ')) line.pop_back();
    if (!line.empty()) names.push_back(line);
  }
  return names;
}

// An export as a typed function pointer (through the generic function pointer
// type, to which any function pointer converts).
template <typename Function>
Function Export(HMODULE library, const char* name) {
  return reinterpret_cast<Function>(reinterpret_cast<void (*)()>(GetProcAddress(library, name)));
}

std::vector<std::string> g_traces;
void CollectTrace(const char* text, void*) { g_traces.emplace_back(text); }

TEST(LoadedLibraryTest, EveryExportIsFoundByItsPlainNameAndCallsBalanceTheStack) {
  std::string section = UniqueWinSectionName("load");
  SetEnvironmentVariableA("QUORSMA_SECTION", section.c_str());
  HMODULE library = LoadLibraryA("QuorSMA.dll");
  ASSERT_NE(library, nullptr);

  std::vector<std::string> names = ExportNames();
  ASSERT_GT(names.size(), 70u);
  for (const auto& name : names) EXPECT_NE(GetProcAddress(library, name.c_str()), nullptr) << name;
  EXPECT_EQ(GetProcAddress(library, "smGethWndComm@0"), nullptr);
  EXPECT_EQ(GetProcAddress(library, "_smGethWndComm@0"), nullptr);

  using GetPointer = MH_SHARED_STRUCTURE**(QSMA_API*)(MH_SHARED_STRUCTURE**);
  using SetHandle = void(QSMA_API*)(QSMA_HWND);
  using GetHandle = QSMA_HWND(QSMA_API*)();
  using SetSink = void(QSMA_API*)(QsmaTextSink, void*);
  auto get_pointer = Export<GetPointer>(library, "smGetMemoryPointer");
  auto set_comm = Export<SetHandle>(library, "smSethWndComm");
  auto get_comm = Export<GetHandle>(library, "smGethWndComm");
  auto set_msg = Export<SetHandle>(library, "smSethWndMsg");
  auto get_msg = Export<GetHandle>(library, "smGethWndMsg");
  auto set_trace_sink = Export<SetSink>(library, "smSetTraceSink");
  ASSERT_TRUE(get_pointer && set_comm && get_comm && set_msg && get_msg && set_trace_sink);

  MH_SHARED_STRUCTURE* image = nullptr;
  EXPECT_EQ(get_pointer(&image), &image);
  ASSERT_NE(image, nullptr);
  set_msg(77);
  EXPECT_EQ(image->hWndMsg, 77);
  EXPECT_EQ(get_msg(), 77);

  g_traces.clear();
  set_trace_sink(CollectTrace, nullptr);
  set_comm(11);
  set_comm(12);
  EXPECT_EQ(get_comm(), 12);
  // The detach sequence runs inside FreeLibrary and still reaches the sink.
  EXPECT_TRUE(FreeLibrary(library));
  ASSERT_EQ(g_traces.size(), 2u);
  EXPECT_EQ(g_traces[0].rfind("smSethWndComm() failed!! ", 0), 0u);
  EXPECT_EQ(g_traces[1], "SMDLLDLL.DLL Terminating!\r\n");
  SetEnvironmentVariableA("QUORSMA_SECTION", nullptr);
}

TEST(LoadedLibraryTest, SharedDataSectionIsMarkedShared) {
  HMODULE library = LoadLibraryExA("QuorSMA.dll", nullptr, DONT_RESOLVE_DLL_REFERENCES);
  ASSERT_NE(library, nullptr);
  auto* base = reinterpret_cast<const unsigned char*>(library);
  auto* dos = reinterpret_cast<const IMAGE_DOS_HEADER*>(base);
  auto* nt = reinterpret_cast<const IMAGE_NT_HEADERS*>(base + dos->e_lfanew);
  const IMAGE_SECTION_HEADER* section = IMAGE_FIRST_SECTION(nt);
  bool found = false;
  for (int i = 0; i < nt->FileHeader.NumberOfSections; ++i, ++section) {
    if (std::string(reinterpret_cast<const char*>(section->Name), 8).c_str() != std::string("SHARDATA")) continue;
    found = true;
    EXPECT_TRUE(section->Characteristics & IMAGE_SCN_MEM_SHARED);
    EXPECT_TRUE(section->Characteristics & IMAGE_SCN_MEM_WRITE);
    EXPECT_GE(section->Misc.VirtualSize, sizeof(int32_t));
  }
  EXPECT_TRUE(found);
  FreeLibrary(library);
}

class LibraryProcessTest : public ::testing::Test {
 protected:
  std::map<std::string, std::string> env{{"QUORSMA_SECTION", UniqueWinSectionName("proc")}};
};

TEST_F(LibraryProcessTest, ValueWrittenByOneProcessReadsBackInAnother) {
  WinChild writer(kChild, {"write-d", "5", "1234", "hold"}, env);
  ASSERT_EQ(writer.ReadLine(), "ready\n");
  EXPECT_EQ(RunWinChild(kChild, {"read-d", "5"}, env).out, "D[5]=1234\n");
  writer.CloseInput();
  EXPECT_EQ(writer.Wait().exit_code, 0);
}

TEST_F(LibraryProcessTest, SectionStartsZeroFilledAfterTheLastHolderEndsOrIsKilled) {
  EXPECT_EQ(RunWinChild(kChild, {"write-d", "5", "77"}, env).exit_code, 0);
  EXPECT_EQ(RunWinChild(kChild, {"read-d", "5"}, env).out, "D[5]=0\n");
  {
    WinChild holder(kChild, {"write-d", "5", "88", "hold"}, env);
    ASSERT_EQ(holder.ReadLine(), "ready\n");
    EXPECT_EQ(RunWinChild(kChild, {"read-d", "5"}, env).out, "D[5]=88\n");
    holder.Kill();
    EXPECT_EQ(holder.Wait().exit_code, 137);
  }
  EXPECT_EQ(RunWinChild(kChild, {"read-d", "5"}, env).out, "D[5]=0\n");
}

TEST_F(LibraryProcessTest, TwoProcessesShareTheCommunicationWindowHandle) {
  WinChild first(kChild, {"set-comm", "4242", "hold"}, env);
  ASSERT_EQ(first.ReadLine(), "ready\n");
  EXPECT_EQ(RunWinChild(kChild, {"get-comm"}, env).out, "comm=4242\n");
  first.CloseInput();
  first.Wait();
  // Once no process has the library loaded the handle is 0 again.
  EXPECT_EQ(RunWinChild(kChild, {"get-comm"}, env).out, "comm=0\n");
}

TEST_F(LibraryProcessTest, SecondCommHandleTracesAndWins) {
  WinChildResult r = RunWinChild(kChild, {"trace-sink", "set-comm", "1", "set-comm", "2", "get-comm"}, env);
  EXPECT_EQ(r.out,
            "TRACE:smSethWndComm() failed!! \xC5\xEB\xBD\xC5\xC0\xBB \xB4\xE3\xB4\xE7\xC7\xCF\xB4\xC2 "
            "\xC0\xA9\xB5\xB5\xBF\xEC\xB0\xA1 \xC0\xCC\xB9\xCC \xBD\xC7\xC7\xE0\xC1\xDF\xC0\xD4\xB4\xCF\xB4\xD9.\r\n\n"
            "comm=2\n"
            "TRACE:SMDLLDLL.DLL Terminating!\r\n\n");
}

TEST_F(LibraryProcessTest, WithoutASinkTraceLinesGoToTheDebugger) {
  std::vector<std::string> texts = DebugOutputOf(kChild, {"set-comm", "1", "set-comm", "2"}, env);
  std::vector<std::string> ours;
  for (const auto& t : texts) {
    if (t.find("SMA") != std::string::npos || t.find("smSethWndComm") != std::string::npos || t == "<timeout>") {
      ours.push_back(t);
    }
  }
  ASSERT_GE(ours.size(), 2u);
  EXPECT_EQ(ours[0], "SMA.DLL Initializing!\r\n");
  EXPECT_EQ(ours[1].rfind("smSethWndComm() failed!! ", 0), 0u);
  // wine sends no debug events once the process has begun to exit, so the
  // detach line (checked through a sink elsewhere) may not arrive here.
  if (ours.size() > 2) {
    EXPECT_EQ(ours[2], "SMDLLDLL.DLL Terminating!\r\n");
  }
  EXPECT_LE(ours.size(), 3u);
}

TEST_F(LibraryProcessTest, LibraryStillLoadsWhenTheSectionCannotBeCreated) {
  env["QUORSMA_SECTION"] = "NoSuchNamespace\\qsma";
  std::vector<std::string> texts = DebugOutputOf(kChild, {"mapped", "get-msg"}, env);
  EXPECT_NE(std::find(texts.begin(), texts.end(), "SMA Error! \r\n Shared Memory creation failed!"), texts.end());
  WinChildResult r = RunWinChild(kChild, {"mapped", "get-msg"}, env);
  EXPECT_EQ(r.exit_code, 0);
  EXPECT_EQ(r.out, "mapped 0\nmsg=0\n");
}

}  // namespace
}  // namespace quorsma::testing
