// Replacing a file keeps what the user set on it: its permissions, and a
// symbolic link (the link's target is what changes).
#if !defined(_WIN32)
#include <sys/stat.h>

#include <gtest/gtest.h>

#include <cerrno>
#include <filesystem>
#include <string>

#include "platform/env.h"
#include "support/test_image.h"

namespace quorsma::testing {
namespace {

namespace fs = std::filesystem;

TEST(ReplaceFileTest, KeepsPermissionsAndWritesThroughLinks) {
  TempDir dir;
  platform::Env* env = platform::DefaultEnv();
  const std::string plain = dir.File("plain.ini");
  WriteBytes(plain, "old");
  fs::permissions(plain, fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read);
  ASSERT_EQ(env->ReplaceContent(plain.c_str(), "new", 3), 0);
  EXPECT_EQ(ReadBytes(plain), "new");
  EXPECT_EQ(fs::status(plain).permissions() & fs::perms::all,
            fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read);

  fs::create_directories(dir.path() / "real");
  const std::string target = dir.File("real/target.ini");
  WriteBytes(target, "old");
  const std::string link = dir.File("link.ini");
  fs::create_symlink("real/target.ini", link);
  ASSERT_EQ(env->ReplaceContent(link.c_str(), "through", 7), 0);
  EXPECT_TRUE(fs::is_symlink(link));
  EXPECT_EQ(ReadBytes(target), "through");

  const std::string loop = dir.File("loop.ini");
  fs::create_symlink("loop.ini", loop);
  EXPECT_EQ(env->ReplaceContent(loop.c_str(), "x", 1), ELOOP);
  EXPECT_TRUE(fs::is_symlink(loop));
}

}  // namespace
}  // namespace quorsma::testing
#endif
