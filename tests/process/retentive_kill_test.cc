// A process rewriting _DIO_DV.ini is killed at random moments, again and
// again: the file always parses and holds, for every group, either its old
// or its new line.
#include <signal.h>

#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <map>
#include <random>
#include <sstream>
#include <string>
#include <thread>

#include "child_process.h"
#include "log_test_data.h"
#include "platform/profile.h"

namespace quorsma::testing {
namespace {

const std::string kChild = QSMA_TEST_CHILD;
constexpr int kGroups = 2621;

std::string GroupLine(int gen) {
  std::string line;
  for (int k = 0; k < 50; ++k) line += std::to_string(KillValue(gen, k)) + ",";
  return line;
}

std::string Key(int g) {
  char key[16];
  std::snprintf(key, sizeof key, "D%06d", g * 50);
  return key;
}

// The generation whose line `value` is, or -1.
int GenerationOf(const std::string& value) {
  int first = std::atoi(value.c_str());
  if (first % 1000 != 0) return -1;
  int gen = first / 1000;
  return value == GroupLine(gen) ? gen : -1;
}

TEST(RetentiveKillTest, KilledWriterLeavesOldOrNewLines) {
  std::random_device seed;
  std::mt19937 random(seed());
  std::filesystem::path dir =
      std::filesystem::temp_directory_path() / ("quorsma-retentive-kill-" + std::to_string(random()));
  std::filesystem::create_directories(dir);
  struct Cleanup {
    std::filesystem::path dir;
    ~Cleanup() {
      std::error_code ignored;
      std::filesystem::remove_all(dir, ignored);
    }
  } cleanup{dir};
  const std::filesystem::path file = dir / "_DIO_DV.ini";
  {
    std::string content = "[MODULE_DV]\r\n";
    for (int g = 0; g < kGroups; ++g) content += Key(g) + "=" + GroupLine(0) + "\r\n";
    std::ofstream(file, std::ios::binary) << content;
  }
  std::map<int, int> generation;  // group -> generation last seen in the file
  for (int g = 0; g < kGroups; ++g) generation[g] = 0;

  std::map<std::string, std::string> env{{"QUORSMA_SECTION", UniqueSectionName("kill")}};
  int started_gen = 0;
  int changed = 0;
  for (int round = 0; round < 60; ++round) {
    SCOPED_TRACE(round);
    started_gen += 1000;  // every round writes generations of its own
    ChildProcess writer(kChild, {"hold", "set-para", dir.string(), "save-loop", std::to_string(started_gen)}, env);
    ASSERT_EQ(writer.ReadLine(), "ready\n");
    writer.CloseInput();
    ASSERT_EQ(writer.ReadLine(), "saving\n");
    std::this_thread::sleep_for(std::chrono::microseconds(random() % 30000));
    writer.Kill(SIGKILL);
    ASSERT_EQ(writer.Wait().signal, SIGKILL);

    std::ifstream in(file, std::ios::binary);
    std::ostringstream bytes;
    bytes << in.rdbuf();
    std::string content = bytes.str();
    ASSERT_EQ(content.rfind("[MODULE_DV]\r\n", 0), 0u);
    std::vector<platform::ProfileEntry> entries = platform::ProfileSectionEntries(content, "MODULE_DV");
    ASSERT_EQ(entries.size(), static_cast<std::size_t>(kGroups));
    for (int g = 0; g < kGroups; ++g) {
      ASSERT_EQ(entries[g].key, Key(g));
      int gen = GenerationOf(std::string(entries[g].value));
      ASSERT_GE(gen, generation[g]) << Key(g) << "=" << entries[g].value;
      ASSERT_LT(gen, started_gen + 1000) << Key(g);
      if (gen != generation[g]) ++changed;
      generation[g] = gen;
    }
  }
  // The groups outside the rewritten set never moved.
  for (int g : kKillGroups) generation.erase(g);
  for (const auto& [g, gen] : generation) EXPECT_EQ(gen, 0) << Key(g);
  EXPECT_GT(changed, 0);
}

}  // namespace
}  // namespace quorsma::testing
