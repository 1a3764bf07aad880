// The value-change mailbox under several producer processes and a collector
// process: every line taken is whole, well-formed and names a real change.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <map>
#include <memory>
#include <random>
#include <regex>
#include <sstream>
#include <string>
#include <vector>

#include "child_process.h"
#include "log_test_data.h"
#include "platform/profile.h"

namespace quorsma::testing {
namespace {

const std::string kChild = QSMA_TEST_CHILD;

std::string ReadAll(const std::filesystem::path& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream out;
  out << in.rdbuf();
  return out.str();
}

class LogStressTest : public ::testing::Test {
 protected:
  LogStressTest() {
    std::random_device random;
    dir = std::filesystem::temp_directory_path() / ("quorsma-log-stress-" + std::to_string(random()));
    std::filesystem::create_directories(dir);
  }
  ~LogStressTest() override {
    std::error_code ignored;
    std::filesystem::remove_all(dir, ignored);
  }
  std::filesystem::path dir;
  std::map<std::string, std::string> env{{"QUORSMA_SECTION", UniqueSectionName("log")}};
};

TEST_F(LogStressTest, CollectorTakesOnlyWholeLinesOfRealChanges) {
  constexpr int kProducers = 4;
  constexpr int kChanges = 4000;
  const std::string para = dir.string();

  // Every child attaches first (each attach rewrites the configuration
  // texts); then all start at once.
  ChildProcess collector(kChild, {"hold", "set-para", para, "log-on", "collect", std::to_string(kProducers)}, env);
  std::vector<std::unique_ptr<ChildProcess>> producers;
  for (int p = 0; p < kProducers; ++p)
    producers.push_back(std::make_unique<ChildProcess>(
        kChild, std::vector<std::string>{"hold", "set-para", para, "produce", std::to_string(p), std::to_string(kChanges)},
        env));
  ASSERT_EQ(collector.ReadLine(), "ready\n");
  for (auto& p : producers) ASSERT_EQ(p->ReadLine(), "ready\n");
  collector.CloseInput();
  for (auto& p : producers) p->CloseInput();

  std::map<int, int> final_d;  // register -> last value its producer wrote
  for (auto& p : producers) {
    ChildResult r = p->Wait();
    ASSERT_EQ(r.exit_code, 0) << r.err;
    std::istringstream out(r.out);
    std::string line;
    while (std::getline(out, line)) {
      int i, v;
      if (std::sscanf(line.c_str(), "final D %d %d", &i, &v) == 2) final_d[i] = v;
    }
  }
  ChildResult collected = collector.Wait();
  ASSERT_EQ(collected.exit_code, 0) << collected.err;

  const std::regex format(R"(VC => ([MBLWD])\[([0-9A-F]{4,})\]=(-?[0-9]+) => (-?[0-9]+) \t: (.*))");
  std::map<std::string, int> last_value;  // "M12" -> value of its last line
  int lines = 0;
  std::istringstream out(collected.out);
  std::string line;
  while (std::getline(out, line)) {
    if (line.rfind("LINE:", 0) != 0) continue;
    ++lines;
    std::string text = line.substr(5);
    std::smatch m;
    ASSERT_TRUE(std::regex_match(text, m, format)) << text;
    char kind = m[1].str()[0];
    bool hex = kind == 'B' || kind == 'W';
    int index = std::stoi(m[2].str(), nullptr, hex ? 16 : 10);
    if (!hex) {
      ASSERT_EQ(m[2].str().find_first_not_of("0123456789"), std::string::npos) << text;
    }
    int previous = std::stoi(m[3].str()), value = std::stoi(m[4].str());
    ASSERT_EQ(m[5].str(), StressComment(kind, index)) << text;
    int base = StressIndex(kind, 0, 0);
    ASSERT_GE(index, base) << text;
    ASSERT_LT(index, base + kProducers * kStressRange) << text;
    std::string device = std::string(1, kind) + std::to_string(index);
    if (kind == 'M' || kind == 'B' || kind == 'L') {
      ASSERT_TRUE((previous == 0 && value == 1) || (previous == 1 && value == 0)) << text;
    } else {
      ASSERT_GE(previous, 0) << text;
      ASSERT_GT(value, previous) << text;
      ASSERT_LE(value, kChanges) << text;
    }
    // Lines of one device follow each other's values; a data register may
    // skip, having been saved without a line while the slot was taken.
    auto last = last_value.find(device);
    if (last != last_value.end()) {
      if (kind == 'D')
        ASSERT_GE(previous, last->second) << text;
      else
        ASSERT_EQ(previous, last->second) << text;
    } else if (kind != 'D') {
      ASSERT_EQ(previous, 0) << text;
    }
    last_value[device] = value;
  }
  EXPECT_GT(lines, 100);
  EXPECT_NE(collected.out.find("collected " + std::to_string(lines) + "\n"), std::string::npos);

  // Every data register's last value reached the retentive file.
  std::string file = ReadAll(dir / "_DIO_DV.ini");
  std::map<int, std::string> groups;
  for (const platform::ProfileEntry& e : platform::ProfileSectionEntries(file, "MODULE_DV"))
    groups[std::stoi(std::string(e.key.substr(1)))] = std::string(e.value);
  ASSERT_FALSE(final_d.empty());
  for (const auto& [i, v] : final_d) {
    ASSERT_TRUE(groups.count(i / 50 * 50)) << i;
    std::istringstream fields(groups[i / 50 * 50]);
    std::string field;
    for (int k = 0; k <= i % 50; ++k) std::getline(fields, field, ',');
    EXPECT_EQ(field, std::to_string(v)) << "D" << i;
  }
}

}  // namespace
}  // namespace quorsma::testing
