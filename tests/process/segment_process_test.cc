// The section seen from several real processes that load the library.
#include <signal.h>

#include <gtest/gtest.h>

#include <filesystem>

#include "child_process.h"

namespace quorsma::testing {
namespace {

const std::string kChild = QSMA_TEST_CHILD;

class SegmentProcessTest : public ::testing::Test {
 protected:
  std::map<std::string, std::string> env{{"QUORSMA_SECTION", UniqueSectionName("seg")}};
};

TEST_F(SegmentProcessTest, ValueWrittenByOneProcessReadsBackInAnother) {
  ChildProcess writer(kChild, {"write-d", "5", "1234", "hold"}, env);
  ASSERT_EQ(writer.ReadLine(), "ready\n");
  ChildResult reader = RunChild(kChild, {"read-d", "5"}, env);
  EXPECT_EQ(reader.out, "D[5]=1234\n");
  writer.CloseInput();
  EXPECT_EQ(writer.Wait().exit_code, 0);
}

TEST_F(SegmentProcessTest, SectionStartsZeroFilledAfterTheLastHolderEnds) {
  EXPECT_EQ(RunChild(kChild, {"write-d", "5", "77"}, env).exit_code, 0);
  EXPECT_EQ(RunChild(kChild, {"read-d", "5"}, env).out, "D[5]=0\n");
}

TEST_F(SegmentProcessTest, SectionStartsZeroFilledAfterTheLastHolderIsKilled) {
  {
    ChildProcess holder(kChild, {"write-d", "5", "77", "hold"}, env);
    ASSERT_EQ(holder.ReadLine(), "ready\n");
    EXPECT_EQ(RunChild(kChild, {"read-d", "5"}, env).out, "D[5]=77\n");
    holder.Kill(SIGKILL);
    EXPECT_EQ(holder.Wait().signal, SIGKILL);
  }
  EXPECT_EQ(RunChild(kChild, {"read-d", "5"}, env).out, "D[5]=0\n");
}

TEST_F(SegmentProcessTest, LastHolderLeavesNothingBehindInSharedMemory) {
  const std::string name = env["QUORSMA_SECTION"];
  EXPECT_EQ(RunChild(kChild, {"write-d", "5", "77", "set-comm", "3"}, env).exit_code, 0);
  EXPECT_FALSE(std::filesystem::exists("/dev/shm/" + name));
  EXPECT_FALSE(std::filesystem::exists("/dev/shm/" + name + ".SHARDATA"));
}

TEST_F(SegmentProcessTest, TwoProcessesShareTheCommunicationWindowHandle) {
  ChildProcess first(kChild, {"set-comm", "4242", "hold"}, env);
  ASSERT_EQ(first.ReadLine(), "ready\n");
  EXPECT_EQ(RunChild(kChild, {"get-comm"}, env).out, "comm=4242\n");
  first.CloseInput();
  first.Wait();
  // Once no process has the library loaded the handle is 0 again.
  EXPECT_EQ(RunChild(kChild, {"get-comm"}, env).out, "comm=0\n");
}

TEST_F(SegmentProcessTest, SecondCommHandleTracesAndWins) {
  ChildResult r = RunChild(kChild, {"trace-sink", "set-comm", "1", "set-comm", "2", "get-comm"}, env);
  EXPECT_EQ(r.out,
            "TRACE:smSethWndComm() failed!! \xC5\xEB\xBD\xC5\xC0\xBB \xB4\xE3\xB4\xE7\xC7\xCF\xB4\xC2 "
            "\xC0\xA9\xB5\xB5\xBF\xEC\xB0\xA1 \xC0\xCC\xB9\xCC \xBD\xC7\xC7\xE0\xC1\xDF\xC0\xD4\xB4\xCF\xB4\xD9.\r\n\n"
            "comm=2\n"
            "TRACE:SMDLLDLL.DLL Terminating!\r\n\n");
}

TEST_F(SegmentProcessTest, MessageHandleLivesInTheImage) {
  ChildProcess first(kChild, {"set-msg", "99", "hold"}, env);
  ASSERT_EQ(first.ReadLine(), "ready\n");
  EXPECT_EQ(RunChild(kChild, {"get-msg"}, env).out, "msg=99\n");
}

TEST_F(SegmentProcessTest, CreatingAgainWhileAnotherThreadWorksKeepsItsDataAndLeaksNoHandle) {
  ChildResult r = RunChild(kChild, {"recreate-reading", "50", "read-d", "7"}, env);
  ASSERT_EQ(r.exit_code, 0) << r.err;
  EXPECT_EQ(r.out.substr(0, r.out.find('\n')), "recreated 50 mismatches 0 fds 0");
}

TEST_F(SegmentProcessTest, AttachAndDetachWriteTheirTraceLines) {
  env["QUORSMA_TRACE"] = "stderr";
  ChildResult r = RunChild(kChild, {"mapped"}, env);
  EXPECT_EQ(r.out, "mapped 1\n");
  EXPECT_NE(r.err.find("SMA.DLL Initializing!\r\n"), std::string::npos);
  EXPECT_NE(r.err.find("SMDLLDLL.DLL Terminating!\r\n"), std::string::npos);
  EXPECT_LT(r.err.find("SMA.DLL Initializing!"), r.err.find("SMDLLDLL.DLL Terminating!"));
}

TEST_F(SegmentProcessTest, LibraryStillLoadsWhenTheSectionCannotBeCreated) {
  env["QUORSMA_SECTION"] = std::string(300, 'x');  // longer than a name may be
  env["QUORSMA_TRACE"] = "stderr";
  ChildResult r = RunChild(kChild, {"mapped", "get-msg"}, env);
  EXPECT_EQ(r.exit_code, 0);
  EXPECT_EQ(r.out, "mapped 0\nmsg=0\n");
  EXPECT_NE(r.err.find("SMA Error! \r\n Shared Memory creation failed!"), std::string::npos);
}

// After smDelateSharedMemory the image is gone from the process: operations
// fail cleanly (0, null, nothing written) instead of touching unmapped memory,
// and smCreateSharedMemory maps it again.
TEST_F(SegmentProcessTest, OperationsFailCleanlyAfterTheViewIsReleased) {
  ChildProcess holder(kChild, {"write-d", "7", "55", "hold"}, env);
  ASSERT_EQ(holder.ReadLine(), "ready\n");
  ChildResult r = RunChild(kChild,
                           {"delete", "mapped", "get", "D7", "set", "D7", "1", "point", "D7", "get-msg", "delete",
                            "create", "mapped", "read-d", "7"},
                           env);
  EXPECT_EQ(r.exit_code, 0) << r.err;
  EXPECT_EQ(r.out, "mapped 0\nD7=0\npoint 0\nmsg=0\ncreate 1\nmapped 1\nD[7]=55\n");
}

// A machine whose shared-memory file system cannot hold the section gets the
// creation-failure trace at attach instead of a bus error on a later access.
// Needs a private mount namespace (root); skipped where that is not allowed.
TEST_F(SegmentProcessTest, SectionIsNotCreatedWithoutRoomForIt) {
  if (RunChild("/usr/bin/unshare", {"-m", "true"}, {}).exit_code != 0) GTEST_SKIP() << "no mount namespace here";
  env["QUORSMA_TRACE"] = "stderr";
  ChildResult r = RunChild("/usr/bin/unshare",
                           {"-m", "sh", "-c", "mount -t tmpfs -o size=64m tmpfs /dev/shm && exec \"$0\" mapped",
                            kChild},
                           env);
  EXPECT_EQ(r.exit_code, 0) << r.err;
  EXPECT_EQ(r.out, "mapped 0\n");
  EXPECT_NE(r.err.find("SMA Error! \r\n Shared Memory creation failed!"), std::string::npos) << r.err;
}

}  // namespace
}  // namespace quorsma::testing
