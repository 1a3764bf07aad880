// The runner's published program and scan, read back as a monitor reads
// them: what goes in comes out, and a damaged or foreign file is refused
// rather than shown.
#include <gtest/gtest.h>

#include <chrono>
#include <cstdio>
#include <fstream>
#include <string>
#include <vector>

#include "quorsma/client.h"

namespace {

using namespace quorsma::client;

Instruction Make(int32_t line, const char* name, const char* a = "", const char* b = "", const char* c = "") {
  Instruction in{};
  in.line = line;
  std::snprintf(in.name, sizeof in.name, "%s", name);
  std::snprintf(in.operands[0], sizeof in.operands[0], "%s", a);
  std::snprintf(in.operands[1], sizeof in.operands[1], "%s", b);
  std::snprintf(in.operands[2], sizeof in.operands[2], "%s", c);
  return in;
}

void WriteSectionFile(const char* suffix, const std::string& text) {
  char dir[1024];
  qsc_lock_dir(dir, sizeof dir);
  const std::string section = SectionName();
  std::ofstream(std::string(dir) + "/quorsma." + section + "." + suffix, std::ios::binary | std::ios::trunc) << text;
}

TEST(ProgramMonitor, ProgramAndScanComeBackAsPublished) {
  PublishedProgram program;
  program.run_id = 4242001;
  program.name = "traffic light.il";
  program.instructions = {Make(3, "LD", "X0"), Make(4, "LD_GT", "D300", "K10"), Make(9, "LAD_OUT", "T0", "K30"),
                          Make(12, "LAD_PLUS", "K1", "D300", "D301")};
  std::string error;
  ASSERT_TRUE(PublishProgram(program, &error)) << error;
  PublishedProgram loaded;
  ASSERT_EQ(LoadProgram(&loaded, &error), QSC_OK) << error;
  EXPECT_EQ(loaded.run_id, program.run_id);
  EXPECT_EQ(loaded.name, program.name);
  ASSERT_EQ(loaded.instructions.size(), 4u);
  EXPECT_EQ(loaded.instructions[2].line, 9);
  EXPECT_STREQ(loaded.instructions[2].operands[1], "K30");
  EXPECT_STREQ(loaded.instructions[3].operands[2], "D301");

  ScanState state{};
  state.run_id = program.run_id;
  state.scan = 77;
  state.scan_median_ns = 6750;
  state.count = 4;
  const uint8_t results[] = {1, 0, 0, 1};
  ASSERT_TRUE(PublishScan(state, results, &error)) << error;
  ScanState read{};
  std::vector<uint8_t> got;
  ASSERT_EQ(ReadScan(&read, &got, 16, &error), QSC_OK) << error;
  EXPECT_EQ(read.scan, 77);
  EXPECT_EQ(read.run_id, program.run_id);
  EXPECT_EQ(read.scan_median_ns, 6750);
  EXPECT_EQ(got, std::vector<uint8_t>(results, results + 4));
  // The read asked the runner to go on publishing, for a while.
  const int64_t now = std::chrono::duration_cast<std::chrono::milliseconds>(
                          std::chrono::system_clock::now().time_since_epoch())
                          .count();
  EXPECT_TRUE(ScanWanted(now));
  EXPECT_FALSE(ScanWanted(now + QSC_SCAN_WANTED_MS + 1000));
  // Fewer places than results: refused, not cut.
  EXPECT_EQ(ReadScan(&read, &got, 3, &error), QSC_BAD_INPUT);
}

TEST(ProgramMonitor, RefusesWhatWouldNotReadBack) {
  PublishedProgram program;
  program.instructions = {Make(1, "LD", "X0\tX1")};
  std::string error;
  EXPECT_FALSE(PublishProgram(program, &error));
  program.instructions = {Make(1, "")};
  EXPECT_FALSE(PublishProgram(program, &error));
  program.instructions = {Make(1, "LD", "X0")};
  program.name = "two\nlines";
  EXPECT_FALSE(PublishProgram(program, &error));
}

TEST(ProgramMonitor, DamagedFilesAreRefused) {
  const std::string misspelt =
      "quorsma-scan 1\nrun 1\nscan 2\nupdated_unix_ms 3\nperiod_ns 0\nscan_min_ns 0\nscan_median_ns 0\n"
      "scan_max_ns 0\novveruns 0\ncount 2\nresults 01\n";
  const std::string good_scan =
      "quorsma-scan 1\nrun 1\nscan 2\nupdated_unix_ms 3\nperiod_ns 0\nscan_min_ns 0\nscan_median_ns 0\n"
      "scan_max_ns 0\noverruns 0\ncount 2\nresults 01\n";
  struct Case {
    const char* what;
    std::string text;
    int32_t status;
  } scans[] = {
      {"good", good_scan, QSC_OK},
      {"misspelt key", misspelt, QSC_BAD_INPUT},
      {"cut short", good_scan.substr(0, good_scan.size() - 3), QSC_BAD_INPUT},
      {"more results than counted", good_scan.substr(0, good_scan.size() - 1) + "1\n", QSC_BAD_INPUT},
      {"result not a bit", good_scan.substr(0, good_scan.size() - 2) + "2\n", QSC_BAD_INPUT},
      {"empty", "", QSC_BAD_INPUT},
  };
  for (const Case& c : scans) {
    WriteSectionFile("scan", c.text);
    ScanState state{};
    std::vector<uint8_t> got;
    std::string error;
    EXPECT_EQ(ReadScan(&state, &got, 8, &error), c.status) << c.what << ": " << error;
  }
  const std::string good_program = "quorsma-program 1\nrun 5\nname a.il\ncount 2\n1\tLD\tX0\t\t\n2\tLAD_OUT\tY0\t\t\n";
  Case programs[] = {
      {"good", good_program, QSC_OK},
      {"an instruction missing", good_program.substr(0, good_program.find("2\tLAD")), QSC_BAD_INPUT},
      {"an extra line", good_program + "3\tEND\t\t\t\n", QSC_BAD_INPUT},
      {"a field missing", "quorsma-program 1\nrun 5\nname a.il\ncount 1\n1\tLD\tX0\n", QSC_BAD_INPUT},
      {"an operand too long", "quorsma-program 1\nrun 5\nname a.il\ncount 1\n1\tLD\t" + std::string(60, 'X') + "\t\t\n",
       QSC_BAD_INPUT},
      {"a line number that is not one", "quorsma-program 1\nrun 5\nname a.il\ncount 1\nx\tLD\tX0\t\t\n", QSC_BAD_INPUT},
  };
  for (const Case& c : programs) {
    WriteSectionFile("program", c.text);
    PublishedProgram loaded;
    std::string error;
    EXPECT_EQ(LoadProgram(&loaded, &error), c.status) << c.what << ": " << error;
  }
}

}  // namespace
