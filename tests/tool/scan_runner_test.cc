#include "runner/scan_runner.h"

#include <gtest/gtest.h>

#include <sstream>
#include <string>
#include <vector>

#include "cli/library_messages.h"
#include "runner/scan_loop.h"
#include "tool_test_support.h"

namespace quorsma::tool {
namespace {

using testing::ExamplePath;
using testing::MustCheck;

class ScanRunnerTest : public testing::LibraryImageTest {
 protected:
  // Runs scans every `period_ms` of fake time until `until_ms` (exclusive),
  // calling `each` after every scan with the scan's start time.
  template <typename Each>
  void RunUntil(ScanRunner& runner, int64_t until_ms, int64_t period_ms, Each each) {
    while (clock.NowNs() < until_ms * 1000000) {
      const int64_t at = clock.NowNs() / 1000000;
      runner.RunScan();
      each(at);
      clock.AdvanceMs(period_ms);
    }
  }
  FakeClock clock;
};

TEST_F(ScanRunnerTest, KeepsTheSpecialRelaysAsALadderExpects) {
  Program program = MustCheck("LD SM400\nOUT Y0\n");
  image->SM[401] = 1;
  ScanRunner runner(image, program, clock);
  struct Expected {
    int64_t at_ms;
    int32_t sm402, sm403, sm411, sm412;
  };
  const Expected expected[] = {
      {0, 1, 0, 0, 0},    {50, 0, 1, 0, 0},   {100, 0, 1, 1, 0},  {150, 0, 1, 1, 0},
      {200, 0, 1, 0, 0},  {500, 0, 1, 1, 1},  {950, 0, 1, 1, 1},  {1000, 0, 1, 0, 0},
  };
  for (const Expected& e : expected) {
    clock.SleepUntilNs(e.at_ms * 1000000);
    runner.RunScan();
    EXPECT_EQ(image->SM[400], 1) << e.at_ms;
    EXPECT_EQ(image->SM[401], 0) << e.at_ms;
    EXPECT_EQ(image->SM[402], e.sm402) << e.at_ms;
    EXPECT_EQ(image->SM[403], e.sm403) << e.at_ms;
    EXPECT_EQ(image->SM[411], e.sm411) << e.at_ms;
    EXPECT_EQ(image->SM[412], e.sm412) << e.at_ms;
  }
  EXPECT_EQ(image->Y[0], 1);
  EXPECT_EQ(runner.scans(), 8);
}

TEST_F(ScanRunnerTest, EachEdgeInstructionKeepsItsOwnEdgeMemory) {
  // Two rising-edge contacts on the same input: with separate slots both fire
  // once when the input rises (sharing one cell, only the first would).
  Program program = MustCheck("LDP X0\nOUT M0\nLDP X0\nOUT M1\n");
  ScanRunner runner(image, program, clock);
  runner.RunScan();  // first scan: SM403 off, nothing fires
  image->X[0] = 1;
  clock.AdvanceMs(10);
  runner.RunScan();
  EXPECT_EQ(image->M[0], 1);
  EXPECT_EQ(image->M[1], 1);
  EXPECT_EQ(image->PulseMemory[0], 1);
  EXPECT_EQ(image->PulseMemory[1], 1);
  clock.AdvanceMs(10);
  runner.RunScan();
  EXPECT_EQ(image->M[0], 0);
  EXPECT_EQ(image->M[1], 0);
}

TEST_F(ScanRunnerTest, OperandsReachTheDevicesTheyName) {
  Program program = MustCheck(
      "LD SM400\nOUT D100.12\n"       // bit 12, in decimal
      "LD SM400\nOUT Y1F\n"           // hexadecimal output number
      "LD K4M0\nOUT D200\n"           // 16 relays as one number
      "LD SM400\nADD K5 D10Z1 D11\n"  // indexed source
      "LD SM400\nDIV K7 K2 D20\n");   // quotient and remainder
  image->M[0] = 1;
  image->M[3] = 1;
  image->Z[1] = 2;
  image->D[12] = 30;
  ScanRunner runner(image, program, clock);
  runner.RunScan();
  EXPECT_EQ(image->D[100], 4096);
  EXPECT_EQ(image->Y[0x1F], 1);
  EXPECT_EQ(image->D[200], 9);
  EXPECT_EQ(image->D[11], 35);
  EXPECT_EQ(image->D[20], 3);
  EXPECT_EQ(image->D[21], 1);
}

TEST_F(ScanRunnerTest, AnInputOnAtStartIsLearnedWithoutAnEdge) {
  Program program = MustCheck("LDP X0\nOUT M0\n");
  image->X[0] = 1;
  ScanRunner runner(image, program, clock);
  runner.RunScan();
  EXPECT_EQ(image->M[0], 0) << "SM403 is off in the first scan";
  clock.AdvanceMs(10);
  runner.RunScan();
  EXPECT_EQ(image->M[0], 0) << "the input did not rise";
}

TEST_F(ScanRunnerTest, ATimerOfK30TimesOutAfterThreeSeconds) {
  Program program = MustCheck("LD X0\nOUT T3 K30\nLD T3\nOUT Y0\n");
  image->X[0] = 1;
  ScanRunner runner(image, program, clock);
  int64_t on_at = -1;
  RunUntil(runner, 5000, 100, [&](int64_t at) {
    if (on_at < 0 && image->Y[0] == 1) on_at = at;
  });
  EXPECT_EQ(on_at, 3000);
  EXPECT_EQ(image->Tset[3], 300);
  EXPECT_EQ(image->Tcur[3], 300) << "the current value stops at the set value";
}

TEST_F(ScanRunnerTest, TimersCountWholeTicksWhateverTheScanPeriod) {
  // Scans 7 ms apart: no fraction of a 10 ms tick is lost between scans.
  Program program = MustCheck("LD X0\nOUT T0 K10\nLD T0\nOUT Y0\n");
  image->X[0] = 1;
  ScanRunner runner(image, program, clock);
  int64_t on_at = -1;
  RunUntil(runner, 2000, 7, [&](int64_t at) {
    if (on_at < 0 && image->Y[0] == 1) on_at = at;
  });
  EXPECT_EQ(on_at, 1001) << "the first scan at or after 1.0 s";
}

TEST_F(ScanRunnerTest, ATimerWhoseCoilIsOffDoesNotAdvanceAndResets) {
  Program program = MustCheck("LD X0\nOUT T0 K10\n");
  ScanRunner runner(image, program, clock);
  image->X[0] = 1;
  RunUntil(runner, 500, 100, [](int64_t) {});
  EXPECT_EQ(image->Tcur[0], 40);  // scans at 0..400 ms
  image->X[0] = 0;
  RunUntil(runner, 1000, 100, [](int64_t) {});
  EXPECT_EQ(image->Tcur[0], 0);
  EXPECT_EQ(image->Tcoil[0], 0);
}

TEST_F(ScanRunnerTest, TheLoopStopsAtItsScanCountOrOnRequest) {
  Program program = MustCheck("LD X0\nOUT Y0\n");
  ScanRunner runner(image, program, clock);
  LoopOptions options;
  options.scans = 5;
  options.period_ns = 10000000;
  ScanStats stats = RunLoop(runner, clock, options);
  EXPECT_EQ(stats.count(), 5);
  EXPECT_EQ(clock.NowNs(), 40000000) << "each scan starts one period after the last, and none waits after the last";
  options.scans = 0;
  int after = 0;
  stats = RunLoop(runner, clock, options, [&] {
    if (++after == 3) RequestStop(true);
  });
  EXPECT_EQ(stats.count(), 3) << "a stop request ends the loop after the current scan";
}

TEST(ScanStatsTest, GivesMinimumMedianAndMaximum) {
  ScanStats stats;
  for (int64_t ns : {5000, 1000, 3000, 2000, 1000000}) stats.Add(ns);
  EXPECT_EQ(stats.count(), 5);
  EXPECT_EQ(stats.min_ns(), 1000);
  EXPECT_EQ(stats.max_ns(), 1000000);
  EXPECT_NEAR(static_cast<double>(stats.median_ns()), 3000.0, 3000.0 / 64);
  EXPECT_EQ(ScanStats().median_ns(), 0);
  ScanStats small;
  for (int64_t ns : {7, 9, 8}) small.Add(ns);
  EXPECT_EQ(small.median_ns(), 8);
}

// The bundled examples, run on a fake clock.

TEST_F(ScanRunnerTest, TrafficLightCyclesRedGreenYellow) {
  Program program;
  std::vector<std::string> errors;
  ASSERT_TRUE(LoadProgram(ExamplePath("traffic_light.il"), &program, &errors));
  ScanRunner runner(image, program, clock);
  struct Phase {
    int64_t at_ms;
    int32_t red, green, yellow;
  };
  const Phase phases[] = {
      {0, 1, 0, 0},    {2990, 1, 0, 0}, {3000, 0, 1, 0}, {5990, 0, 1, 0},
      {6000, 0, 0, 1}, {6990, 0, 0, 1},
      // Yellow times out at 7.0 s; its scan resets all three timers, so red is
      // on at once and its new 3.0 s start in the next scan.
      {7000, 1, 0, 0}, {10000, 1, 0, 0}, {10010, 0, 1, 0},
  };
  std::size_t next = 0;
  RunUntil(runner, 10100, 10, [&](int64_t at) {
    if (next < std::size(phases) && at == phases[next].at_ms) {
      EXPECT_EQ(image->Y[0], phases[next].red) << at;
      EXPECT_EQ(image->Y[1], phases[next].green) << at;
      EXPECT_EQ(image->Y[2], phases[next].yellow) << at;
      ++next;
    }
    EXPECT_EQ(image->M[4], image->M[1] && image->SM[412]) << "walk lamp blinks during red, at " << at;
  });
  EXPECT_EQ(next, std::size(phases));
}

TEST_F(ScanRunnerTest, ConveyorCountsPartsAndFillsBoxes) {
  Program program;
  std::vector<std::string> errors;
  ASSERT_TRUE(LoadProgram(ExamplePath("conveyor.il"), &program, &errors));
  image->D[301] = 12;  // parts per box
  image->D[302] = 25;  // part length in mm
  ScanRunner runner(image, program, clock);
  int box_done_scans = 0;
  // The simulated sensor rises at 0.5 s, 1.5 s, ...: 12 parts by 11.99 s.
  RunUntil(runner, 12000, 10, [&](int64_t) { box_done_scans += image->M[12]; });
  EXPECT_EQ(image->M[0], 1) << "the belt started by itself in the first scan";
  EXPECT_EQ(image->Y[0x10], 1);
  EXPECT_EQ(image->D[300], 12);
  EXPECT_EQ(image->D[310], 300);
  EXPECT_EQ(image->D[320], 1);
  EXPECT_EQ(image->D[321], 0);
  EXPECT_EQ(image->M[11], 1);
  EXPECT_EQ(image->Y[0x11], 1);
  EXPECT_EQ(box_done_scans, 1) << "PLS gives one scan";

  image->X[1] = 1;  // stop: no more parts
  RunUntil(runner, 14000, 10, [](int64_t) {});
  EXPECT_EQ(image->M[0], 0);
  EXPECT_EQ(image->D[300], 12);
  image->X[2] = 1;  // reset the count
  RunUntil(runner, 14100, 10, [](int64_t) {});
  EXPECT_EQ(image->D[300], 0);
  EXPECT_EQ(image->D[321], 0);
  EXPECT_EQ(image->M[11], 0);
}

TEST_F(ScanRunnerTest, BenchmarkProgramRunsWithoutLibraryMessages) {
  Program program;
  std::vector<std::string> errors;
  ASSERT_TRUE(LoadProgram(ExamplePath("bench_1000.il"), &program, &errors));
  EXPECT_GT(program.instructions.size(), 4000u);
  CaptureLibraryMessages();
  ClearLibraryMessages();
  ScanRunner runner(image, program, clock);
  for (int i = 0; i < 3; ++i) {
    runner.RunScan();
    clock.AdvanceMs(10);
  }
  EXPECT_EQ(LibraryMessageCount(), 0);
}

}  // namespace
}  // namespace quorsma::tool

namespace quorsma::tool {
namespace {

// What a scan records for each instruction (the result on top of the stack
// after it) against a plain evaluation of the same instructions on bools,
// for every combination of four inputs.
class RecordedResultsTest : public testing::LibraryImageTest {
 protected:
  FakeClock clock;
};

std::vector<uint8_t> Reference(const std::string& program, const int32_t* x) {
  std::vector<uint8_t> out;
  std::vector<bool> stack, branches;
  bool last = false;
  auto push = [&](bool v) { stack.push_back(v); last = v; };
  auto pop = [&] {
    if (stack.empty()) return last;
    const bool v = stack.back();
    stack.pop_back();
    return v;
  };
  std::istringstream lines(program);
  for (std::string name, operand; lines >> name;) {
    const bool takes = name != "ANB" && name != "ORB" && name != "MPS" && name != "MRD" && name != "MPP";
    bool v = false;
    if (takes) {
      lines >> operand;
      v = operand[0] == 'X' && x[operand[1] - '0'] != 0;
    }
    if (name == "LD") push(v);
    if (name == "LDI") push(!v);
    if (name == "AND") push(pop() && v);
    if (name == "ANI") push(pop() && !v);
    if (name == "OR") push(pop() || v);
    if (name == "ORI") push(pop() || !v);
    if (name == "ANB") { const bool b = pop(), a = pop(); push(a && b && (branches.empty() || branches.back())); }
    if (name == "ORB") { const bool b = pop(), a = pop(); push(a || b); }
    if (name == "MPS") { branches.push_back(pop()); last = branches.back(); }
    if (name == "MRD") push(branches.back());
    if (name == "MPP") { push(branches.back()); branches.pop_back(); }
    if (name == "OUT") pop();
    out.push_back(stack.empty() ? last : stack.back());
  }
  return out;
}

TEST_F(RecordedResultsTest, MatchAPlainEvaluation) {
  const char* programs[] = {
      "LD X0\nAND X1\nOR X2\nOUT Y0\n",
      "LD X0\nLD X1\nORI X2\nANB\nOUT Y0\n",
      "LD X0\nANI X1\nLD X2\nAND X3\nORB\nOUT Y0\n",
      "LD X0\nMPS\nAND X1\nOUT Y0\nMRD\nANI X2\nOUT Y1\nMPP\nAND X3\nOUT Y2\n",
      "LDI X0\nMPS\nLD X1\nOR X2\nANB\nOUT Y0\nMPP\nOUT Y1\n",
  };
  for (const char* text : programs) {
    Program program = testing::MustCheck(text);
    ScanRunner runner(image, program, clock);
    std::vector<uint8_t> results(program.instructions.size(), 7);
    runner.set_results(results.data());
    for (int inputs = 0; inputs < 16; ++inputs) {
      for (int k = 0; k < 4; ++k) image->X[k] = (inputs >> k) & 1;
      runner.RunScan();
      EXPECT_EQ(results, Reference(text, image->X)) << text << "inputs " << inputs;
    }
  }
}

}  // namespace
}  // namespace quorsma::tool
