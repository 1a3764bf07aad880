// The section's published files: names that could reach a lock, the force
// table or another directory are refused; a file is replaced whole and read
// back whole, never through a link someone left at its name.
#include <gtest/gtest.h>

#include <cstdio>
#include <string>

#include "quorsma/client.h"

#if !defined(_WIN32)
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace {

std::string PathOf(const std::string& name) {
  char dir[512];
  char section[256];
  qsc_lock_dir(dir, sizeof dir);
  qsc_section_name(section, sizeof section);
  return std::string(dir) + "/quorsma." + section + "." + name;
}

TEST(SectionFileTest, NamesThatCouldReachOtherFilesAreRefused) {
  for (const char* name : {"", ".hidden", "../escape", "a/b", "runner.lock", "forces", "stats.new", "space name",
                           "x2345678901234567890123456789012345678901234567890123456789012345"}) {
    SCOPED_TRACE(name);
    char error[128] = {};
    EXPECT_EQ(qsc_section_file_write(name, "x", 1, error, sizeof error), QSC_BAD_INPUT);
    size_t length = 7;
    char out[8];
    EXPECT_EQ(qsc_section_file_read(name, out, sizeof out, &length, error, sizeof error), QSC_BAD_INPUT);
  }
  char error[128] = {};
  EXPECT_EQ(qsc_section_file_write(nullptr, "x", 1, error, sizeof error), QSC_BAD_INPUT);
}

TEST(SectionFileTest, WrittenWholeReadWholeAndMissingSaysSo) {
  const char* name = "test.published";
  char error[256] = {};
  char out[64];
  size_t length = 99;
  std::remove(PathOf(name).c_str());
  EXPECT_EQ(qsc_section_file_read(name, out, sizeof out, &length, error, sizeof error), QSC_MISSING);
  EXPECT_EQ(length, 0u);

  const std::string text = "pid 42\nrunning 1\n";
  ASSERT_EQ(qsc_section_file_write(name, text.data(), text.size(), error, sizeof error), QSC_OK) << error;
  ASSERT_EQ(qsc_section_file_read(name, out, sizeof out, &length, error, sizeof error), QSC_OK) << error;
  EXPECT_EQ(std::string(out, length), text);
  EXPECT_EQ(qsc_section_file_read(name, out, 4, &length, error, sizeof error), QSC_BAD_INPUT) << "too small";
  EXPECT_EQ(length, text.size()) << "says how much it needs";

  std::string large(QSC_MAX_SECTION_FILE_BYTES + 1, 'x');
  EXPECT_EQ(qsc_section_file_write(name, large.data(), large.size(), error, sizeof error), QSC_BAD_INPUT);
  ASSERT_EQ(qsc_section_file_read(name, out, sizeof out, &length, error, sizeof error), QSC_OK);
  EXPECT_EQ(std::string(out, length), text) << "a refused write leaves the file as it was";
  std::remove(PathOf(name).c_str());
}

#if !defined(_WIN32)
TEST(SectionFileTest, ALinkAtTheNameIsReplacedNotFollowed) {
  const std::string target = "/tmp/qsma-section-file-target-" + std::to_string(getpid());
  FILE* file = std::fopen(target.c_str(), "w");
  ASSERT_NE(file, nullptr);
  std::fputs("kept", file);
  std::fclose(file);
  const std::string path = PathOf("linked.stats");
  std::remove(path.c_str());
  ASSERT_EQ(symlink(target.c_str(), path.c_str()), 0);
  char error[256] = {};
  ASSERT_EQ(qsc_section_file_write("linked.stats", "new", 3, error, sizeof error), QSC_OK) << error;
  char out[16];
  file = std::fopen(target.c_str(), "r");
  ASSERT_NE(file, nullptr);
  const size_t n = std::fread(out, 1, sizeof out, file);
  std::fclose(file);
  EXPECT_EQ(std::string(out, n), "kept");
  struct stat st {};
  ASSERT_EQ(lstat(path.c_str(), &st), 0);
  EXPECT_TRUE(S_ISREG(st.st_mode));
  std::remove(path.c_str());
  std::remove(target.c_str());
}
#endif

}  // namespace
