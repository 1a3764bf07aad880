#include "cli/client_names.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "tool_test_support.h"

#if !defined(_WIN32)
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace quorsma::tool {
namespace {

using testing::ReadFile;
using testing::TempDir;
using testing::WriteFile;

// Runs `script` by sh with $1 and $2 (paths without single quotes).
int Shell(const std::string& script, const std::string& one, const std::string& two = "") {
  return std::system(("sh -c '" + script + "' sh '" + one + "' '" + two + "'").c_str());
}

TEST(SectionLockTest, OneHolderPerJobAndTheSecondLearnsItsPid) {
  SectionLock runner, second, collector;
  std::string error;
  ASSERT_TRUE(runner.Acquire("runner", &error)) << error;
  EXPECT_FALSE(second.Acquire("runner", &error));
  EXPECT_EQ(error, "another runner is running (pid " + std::to_string(getpid()) + ")");
  EXPECT_TRUE(collector.Acquire("collector", &error)) << "jobs lock apart: " << error;
  runner.Release();
  EXPECT_TRUE(second.Acquire("runner", &error)) << error;
  // The communication job's holder is a program, and its message says so.
  SectionLock communication, other;
  ASSERT_TRUE(communication.Acquire("communication", &error)) << error;
  EXPECT_FALSE(other.Acquire("communication", &error));
  EXPECT_EQ(error, "another communication program is running (pid " + std::to_string(getpid()) + ")");
}

TEST(SectionLockTest, LockFileIsNamedAfterTheSection) {
  const std::string path = SectionLockPath("collector");
  EXPECT_NE(path.find("quorsma." + SectionName() + ".collector.lock"), std::string::npos) << path;
}

TEST(SectionLockTest, TheDefaultDirectoryIsTheUsersOwn) {
  SectionLock lock;
  std::string error;
  ASSERT_TRUE(lock.Acquire("collector", &error)) << error;
  EXPECT_EQ(LockDir(), "/dev/shm/quorsma-" + std::to_string(geteuid()));
  struct stat st {};
  ASSERT_EQ(lstat(LockDir().c_str(), &st), 0);
  EXPECT_TRUE(S_ISDIR(st.st_mode));
  EXPECT_EQ(st.st_uid, geteuid());
  EXPECT_EQ(st.st_mode & 022, 0u) << "made with mode 0700";
}

// QUORSMA_LOCK_DIR naming a directory of the test's own while it lives.
class LockDirTest : public ::testing::Test {
 protected:
  LockDirTest() { setenv("QUORSMA_LOCK_DIR", dir_.File("locks").c_str(), 1); }
  ~LockDirTest() override { unsetenv("QUORSMA_LOCK_DIR"); }
  TempDir dir_;
  std::string locks_ = dir_.File("locks");
};

TEST_F(LockDirTest, AnUnsafeDirectoryIsRefused) {
  const std::string named = "the lock directory " + locks_ + " (QUORSMA_LOCK_DIR)";
  const std::string rule = "; it must be a directory of this user that other users cannot write";
  const struct {
    const char* shell;  // makes the directory $1
    std::string error;  // empty: accepted
  } cases[] = {
      {"mkdir -m 0700 \"$1\"", ""},
      {"mkdir -m 0770 \"$1\"", ""},  // a group of users may share it
      {"true", named + " does not exist"},
      {"mkdir -m 0777 \"$1\"", named + " is writable by other users (mode 0777)" + rule},
      {"mkdir -m 1777 \"$1\"", named + " is writable by other users (mode 1777)" + rule},
      {"mkdir -m 0700 \"$1.real\" && ln -s \"$1.real\" \"$1\"", named + " is a symbolic link" + rule},
      {"touch \"$1\"", named + " is a regular file" + rule},
      {"mkdir -m 0700 \"$1\" && chown 1 \"$1\"", named + " belongs to another user (uid 1)" + rule},
  };
  for (const auto& c : cases) {
    if (std::string(c.shell).find("chown") != std::string::npos && geteuid() != 0) continue;
    ASSERT_EQ(Shell(std::string("rm -rf \"$1\" \"$1.real\"; ") + c.shell, locks_), 0);
    SectionLock lock;
    std::string error;
    EXPECT_EQ(lock.Acquire("runner", &error), c.error.empty()) << c.shell;
    EXPECT_EQ(error, c.error) << c.shell;
    ForceTable forces;
    error.clear();
    EXPECT_EQ(forces.Load(&error), c.error.empty()) << c.shell;
    EXPECT_EQ(error, c.error) << c.shell;
  }
}

TEST_F(LockDirTest, AFileOfAnotherKindIsRefusedAndNothingOutsideIsTouched) {
  ASSERT_EQ(mkdir(locks_.c_str(), 0700), 0);
  const std::string outside = dir_.File("outside");
  const struct {
    const char* shell;  // makes the file $2; $1 is a file outside the directory
    const char* what;
    bool replaceable;  // by a new force table
  } cases[] = {
      {"ln -s \"$1\" \"$2\"", " is a symbolic link, not a regular file", true},
      {"ln -s /nonexistent/file \"$2\"", " is a symbolic link, not a regular file", true},
      {"mkfifo \"$2\"", " is a FIFO, not a regular file", true},
      {"mkdir \"$2\"", " is a directory, not a regular file", false},
      {"ln \"$1\" \"$2\"", " has other names (hard links)", true},
  };
  const std::string lock_path = SectionLockPath("runner");
  const std::string forces_path = ForceTablePath();
  for (const auto& c : cases) {
    for (const std::string& path : {lock_path, forces_path}) {
      WriteFile(outside, "precious\n");
      ASSERT_EQ(Shell(std::string("rm -rf \"$2\"; ") + c.shell, outside, path), 0);
      std::string error;
      if (path == lock_path) {
        SectionLock lock;
        EXPECT_FALSE(lock.Acquire("runner", &error)) << c.shell;
        EXPECT_EQ(error, path + c.what + "; remove it");
      } else {
        ForceTable forces;
        EXPECT_FALSE(forces.Load(&error)) << c.shell;
        EXPECT_EQ(forces.damaged(), c.replaceable) << c.shell;
        EXPECT_EQ(error, path + c.what + (c.replaceable ? "; 'quorsma force --clear' replaces it" : "")) << c.shell;
        forces.Set({"D", 7, 70});
        EXPECT_EQ(forces.Save(&error), c.replaceable) << c.shell << error;
        if (c.replaceable) {
          EXPECT_TRUE(forces.Load(&error)) << c.shell << error;
          EXPECT_EQ(forces.forces(), std::vector<Force>({{"D", 7, 70}}));
        }
      }
      EXPECT_EQ(ReadFile(outside), "precious\n") << c.shell;
      Shell("rm -rf \"$1\"", path);
    }
  }
}

TEST_F(LockDirTest, ADamagedForceTableIsRefusedWholeAndTheLastGoodOneKept) {
  ASSERT_EQ(mkdir(locks_.c_str(), 0700), 0);
  ForceTable forces;
  std::string error;
  forces.Set({"X", 3, 1});
  forces.Set({"D", 100, -5});
  ASSERT_TRUE(forces.Save(&error)) << error;
  const std::string path = ForceTablePath();
  const std::string good = ReadFile(path);
  ASSERT_TRUE(forces.Load(&error)) << error;
  const struct {
    std::string text;
    std::string reason;
  } cases[] = {
      {"", "empty"},
      {"X3 1\n", "line 1: no section line"},
      {good + "D5\n", "line 4: expected a device and a value"},
      {good + "D5 1 2\n", "line 4: expected a device and a value"},
      {good + "T5 1\n", "line 4: not a device that can be forced"},
      {good + "D131071 1\n", "line 4: not a device that can be forced"},
      {good + "D5 2147483648\n", "line 4: the value is not a 32-bit integer"},
      {good + "D5 0x10\n", "line 4: the value is not a 32-bit integer"},
      {good + "M5 2\n", "line 4: a bit device holds 0 or 1"},
      {good + "\n", "line 4: expected a device and a value"},
  };
  for (const auto& c : cases) {
    WriteFile(path, c.text);
    EXPECT_EQ(forces.Refresh(), path + " is damaged (" + c.reason + "); 'quorsma force --clear' replaces it");
    EXPECT_EQ(forces.Refresh(), "") << "said once per change of the file";
    EXPECT_EQ(forces.forces(), std::vector<Force>({{"X", 3, 1}, {"D", 100, -5}})) << c.reason;
  }
  WriteFile(path, good + "D5 7\r\nX3 0\n");
  EXPECT_EQ(forces.Refresh(), "");
  EXPECT_EQ(forces.forces(), std::vector<Force>({{"X", 3, 0}, {"D", 100, -5}, {"D", 5, 7}}));
  std::filesystem::resize_file(path, kMaxForceFileBytes + 1);
  EXPECT_EQ(forces.Refresh(), path + " is larger than 33554432 bytes; 'quorsma force --clear' replaces it");
}

}  // namespace
}  // namespace quorsma::tool
