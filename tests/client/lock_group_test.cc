// The lock directory of a plant's group: the locks and force table of a
// service and of the operators of its group are one set.  The group is
// resolved once per process, so each case runs in a child of its own.
#include <gtest/gtest.h>

#include <string>

#include "quorsma/client.h"

#if !defined(_WIN32)
#include <grp.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>

namespace {

std::string LockDir() {
  char dir[512];
  const size_t n = qsc_lock_dir(dir, sizeof dir);
  return std::string(dir, n < sizeof dir ? n : 0);
}

// In the child: takes the collector lock with `group` as QUORSMA_GROUP and
// `mode` as QUORSMA_MODE (nullptr: unset), and exits 0 when the directory and
// the lock file are `expected_dir` with the modes and group asked for;
// otherwise prints what differs and exits 1.
[[noreturn]] void TakeLockAndCheck(const char* group, const char* mode, const std::string& expected_dir,
                                   unsigned dir_mode, unsigned file_mode, gid_t gid, const char* refusal) {
  unsetenv("QUORSMA_LOCK_DIR");
  setenv("QUORSMA_GROUP", group, 1);
  if (mode != nullptr) setenv("QUORSMA_MODE", mode, 1);
  else unsetenv("QUORSMA_MODE");
  umask(022);
  qsc_lock* lock = nullptr;
  char error[512] = {};
  const int32_t status = qsc_lock_acquire("collector", &lock, error, sizeof error);
  if (refusal != nullptr) {
    const bool refused = status == QSC_FAILED && std::string(error).find(refusal) != std::string::npos;
    if (!refused) std::fprintf(stderr, "status %d: %s\n", status, error);
    std::_Exit(refused ? 0 : 1);
  }
  if (status != QSC_OK) {
    std::fprintf(stderr, "status %d: %s\n", status, error);
    std::_Exit(1);
  }
  char path[512];
  qsc_lock_path("collector", path, sizeof path);
  struct stat dir {}, file {};
  const bool ok = LockDir() == expected_dir && stat(expected_dir.c_str(), &dir) == 0 && stat(path, &file) == 0 &&
                  (dir.st_mode & 07777) == dir_mode && (file.st_mode & 0777) == file_mode &&
                  (gid == static_cast<gid_t>(-1) || (dir.st_gid == gid && file.st_gid == gid));
  if (!ok) {
    std::fprintf(stderr, "dir %s %04o gid %u, file %s %04o gid %u\n", LockDir().c_str(), dir.st_mode & 07777,
                 dir.st_gid, path, file.st_mode & 0777, file.st_gid);
  }
  qsc_lock_release(lock);
  std::_Exit(ok ? 0 : 1);
}

TEST(LockGroupTest, TheGroupsMembersShareOneDirectoryAndOthersKeepTheirOwn) {
  ::testing::FLAGS_gtest_death_test_style = "threadsafe";
  const gid_t gid = getegid();
  const struct group* own = getgrgid(gid);
  ASSERT_NE(own, nullptr);
  const std::string group = own->gr_name;
  const std::string shared = "/dev/shm/quorsma-group-" + std::to_string(gid);
  const std::string personal = "/dev/shm/quorsma-" + std::to_string(geteuid());
  const bool existed = std::filesystem::exists(shared);

  EXPECT_EXIT(TakeLockAndCheck(group.c_str(), nullptr, shared, 02770, 0660, gid, nullptr),
              ::testing::ExitedWithCode(0), "")
      << "a group: the group's directory, files the group may write despite the umask";
  EXPECT_EXIT(TakeLockAndCheck("", nullptr, personal, 0700, 0600, static_cast<gid_t>(-1), nullptr),
              ::testing::ExitedWithCode(0), "")
      << "QUORSMA_GROUP empty: the user's own directory";
  EXPECT_EXIT(TakeLockAndCheck(group.c_str(), "0640", personal, 0700, 0600, static_cast<gid_t>(-1), nullptr),
              ::testing::ExitedWithCode(0), "")
      << "a mode without group write: the user's own directory";

  // A directory at the group's name that another group holds is refused,
  // never used: only the group's members can give one to the group.
  if (geteuid() == 0 && !existed) {
    std::filesystem::remove_all(shared);
    ASSERT_EQ(mkdir(shared.c_str(), 0770), 0);
    ASSERT_EQ(chown(shared.c_str(), 0, gid + 4242), 0);
    EXPECT_EXIT(TakeLockAndCheck(group.c_str(), nullptr, shared, 0, 0, gid, "belongs to another group"),
                ::testing::ExitedWithCode(0), "");
    ASSERT_EQ(chown(shared.c_str(), 0, gid), 0);
    ASSERT_EQ(chmod(shared.c_str(), 0777), 0);
    EXPECT_EXIT(TakeLockAndCheck(group.c_str(), nullptr, shared, 0, 0, gid, "writable by other users"),
                ::testing::ExitedWithCode(0), "");
  }
  if (!existed) std::filesystem::remove_all(shared);
}

}  // namespace
#endif
