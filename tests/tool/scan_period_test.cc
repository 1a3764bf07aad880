// The runner's period statistics (start jitter, overruns), the file that
// publishes them, the real-time set-up and its refusals, and quorsma run and
// info end to end.
#include <gtest/gtest.h>

#include <cerrno>
#include <cstdlib>
#include <string>
#include <vector>

#include "runner/scan_loop.h"
#include "runner/scan_realtime.h"
#include "runner/scan_runner.h"
#include "runner/scan_stats.h"
#include "runner/scan_stats_file.h"
#include "tool_program_test.h"
#include "tool_test_support.h"

namespace quorsma::tool {
namespace {

using testing::ChildResult;
using testing::MustCheck;

// A clock whose sleeps end late by the next of `late_ns` (0 once used up).
class LateClock final : public Clock {
 public:
  explicit LateClock(std::vector<int64_t> late_ns) : late_ns_(std::move(late_ns)) {}
  int64_t NowNs() override { return now_; }
  void SleepUntilNs(int64_t deadline_ns) override {
    const int64_t late = next_ < late_ns_.size() ? late_ns_[next_++] : 0;
    if (deadline_ns > now_) now_ = deadline_ns + late;
  }
  void AdvanceNs(int64_t ns) { now_ += ns; }

 private:
  std::vector<int64_t> late_ns_;
  std::size_t next_ = 0;
  int64_t now_ = 0;
};

class ScanPeriodTest : public testing::LibraryImageTest {};

// Scans of 1 ms every 10 ms; the third cycle takes 12 ms and overruns, so the
// fourth starts at once and the schedule goes on from there.
TEST_F(ScanPeriodTest, StartsAreMeasuredAgainstTheScheduleAndOverrunsCounted) {
  Program program = MustCheck("LD X0\nOUT Y0\n");
  LateClock clock({20'000, 50'000, 5'000, 1'000'000});
  ScanRunner runner(image, program, clock);
  LoopOptions options;
  options.scans = 6;
  options.period_ns = 10'000'000;
  int cycle = 0;
  const ScanStats stats = RunLoop(runner, clock, options, [&] { clock.AdvanceNs(++cycle == 3 ? 12'000'000 : 1'000'000); });
  EXPECT_EQ(stats.count(), 6);
  EXPECT_EQ(stats.overruns(), 1);
  EXPECT_EQ(stats.period_ns(), 10'000'000);
  // Late by 0 (first), 20 us, 50 us, 0 (right after the overrun), 5 us, 1 ms.
  const DurationHistogram& late = stats.start_late();
  EXPECT_EQ(late.count(), 6);
  EXPECT_EQ(late.min_ns(), 0);
  EXPECT_EQ(late.max_ns(), 1'000'000);
  EXPECT_NEAR(static_cast<double>(late.percentile_ns(0.5)), 5'000.0, 5'000.0 / 64);
  EXPECT_EQ(late.percentile_ns(0.99), 1'000'000);
  EXPECT_NE(stats.PeriodSummary().find("period 10.00 ms: start jitter p50 "), std::string::npos)
      << stats.PeriodSummary();
  EXPECT_NE(stats.PeriodSummary().find("max 1.00 ms; 1 overrun"), std::string::npos) << stats.PeriodSummary();

  options.period_ns = 0;  // back to back: no schedule to be late against
  const ScanStats back_to_back = RunLoop(runner, clock, options);
  EXPECT_EQ(back_to_back.start_late().count(), 0);
  EXPECT_EQ(back_to_back.PeriodSummary(), "");
}

TEST(DurationHistogramTest, PercentilesTakeTheNearestRank) {
  DurationHistogram h;
  EXPECT_EQ(h.percentile_ns(0.99), 0);
  for (int64_t ns = 1; ns <= 100; ++ns) h.Add(ns);
  EXPECT_EQ(h.percentile_ns(0.5), 50);
  EXPECT_EQ(h.percentile_ns(0.99), 99);
  EXPECT_EQ(h.percentile_ns(1.0), 100);
  h.Add(-5);  // counts as 0
  EXPECT_EQ(h.min_ns(), 0);
  const DurationHistogram copy = h;
  EXPECT_EQ(copy.count(), 101);
  EXPECT_EQ(copy.percentile_ns(0.99), 99);
}

TEST(ScanStatsFileTest, FieldsRoundTripAndStrangeLinesAreSkipped) {
  ScanStats stats;
  stats.set_period_ns(1'000'000);
  for (int64_t ns : {3000, 4000, 5000}) stats.Add(ns);
  stats.AddStart(7000);
  stats.AddOverrun();
  const StatsFields fields = ScanStatsFields(stats, 42, true, 1700000000000, 40);
  const std::string text = FormatStatsFields(fields);
  EXPECT_EQ(text.substr(0, text.find("scan_min_ns")),
            "pid 42\nrunning 1\nupdated_unix_ms 1700000000000\nperiod_ns 1000000\nrealtime_priority 40\nscans 3\n");
  EXPECT_NE(text.find("\nstart_max_ns 7000\noverruns 1\n"), std::string::npos) << text;
  EXPECT_EQ(ParseStatsFields(text), fields);
  EXPECT_EQ(ParseStatsFields("scans 5\n\nnoise\n key 1\nbad x\nhalf 12x\nneg -3\nlast 9"),
            (StatsFields{{"scans", 5}, {"neg", -3}, {"last", 9}}));
}

// The system calls of the real-time set-up, failing where a test says.
class FakeSystem final : public RealtimeSystem {
 public:
  int PinToCpu(int cpu) override {
    calls += "cpu" + std::to_string(cpu) + " ";
    return cpu_error;
  }
  int LockMemory() override {
    calls += "lock ";
    return lock_error;
  }
  int ScheduleFifo(int priority) override {
    calls += "fifo" + std::to_string(priority) + " ";
    return fifo_error;
  }
  int cpu_error = 0, lock_error = 0, fifo_error = 0;
  std::string calls;
};

TEST(RealtimeTest, SetUpStopsAtTheFirstRefusalAndSaysWhatWouldPermitIt) {
  struct Case {
    const char* name;
    RealtimeOptions options;
    int cpu_error, lock_error, fifo_error;
    const char* calls;
    std::vector<std::string> says;  // empty: success
  } cases[] = {
      {"normal scheduling", {0, -1}, 0, 0, 0, "", {}},
      {"a CPU only", {0, 1}, 0, 0, 0, "cpu1 ", {}},
      {"real time on a CPU", {40, 1}, 0, 0, 0, "cpu1 lock fifo40 ", {}},
      {"no such CPU", {40, 7}, EINVAL, 0, 0, "cpu7 ", {"cannot run on CPU 7: ", "they count from 0"}},
      {"memory lock refused", {60, -1}, 0, EPERM, 0, "lock ",
       {"cannot lock the runner's memory for --realtime: ", "CAP_IPC_LOCK", "ulimit -l"}},
      {"memory lock over the limit", {60, -1}, 0, ENOMEM, 0, "lock ", {"ulimit -l"}},
      {"scheduling refused", {60, -1}, 0, 0, EPERM, "lock fifo60 ",
       {"cannot schedule the runner in real time (SCHED_FIFO, priority 60): ", "CAP_SYS_NICE", "ulimit -r) to 60"}},
      {"no real time on this system", {60, -1}, 0, ENOSYS, 0, "lock ", {"not available on this system"}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    FakeSystem system;
    system.cpu_error = c.cpu_error;
    system.lock_error = c.lock_error;
    system.fifo_error = c.fifo_error;
    const std::string message = EnterRealtime(c.options, system);
    EXPECT_EQ(system.calls, c.calls);
    EXPECT_EQ(message.empty(), c.says.empty()) << message;
    for (const std::string& part : c.says) EXPECT_NE(message.find(part), std::string::npos) << message;
  }
}

using RunStatisticsTest = testing::ToolProgramTest;

// quorsma run prints the period line, publishes the file that info reads, and
// --realtime either runs or refuses with its reason and exit code 1 (a
// container may refuse it even to root).
TEST_F(RunStatisticsTest, RunPublishesItsStatisticsAndInfoShowsThem) {
  EXPECT_FALSE(Tool({"info", "--json"}).out.find("runner_") != std::string::npos) << "no runner has run yet";
  const ChildResult run = Tool({"run", program_, "--scans", "20", "--period", "1", "-q"});
  ASSERT_EQ(run.exit_code, 0) << run.err;
  EXPECT_NE(run.out.find("20 scans, scan time min "), std::string::npos) << run.out;
  EXPECT_NE(run.out.find("\nperiod 1.00 ms: start jitter p50 "), std::string::npos) << run.out;
  EXPECT_NE(run.out.find(", p99 "), std::string::npos) << run.out;

  const std::string stats = testing::ReadFile(dir_.File("quorsma." + env_["QUORSMA_SECTION"] + ".runner.stats"));
  EXPECT_NE(stats.find("running 0\n"), std::string::npos) << stats;
  EXPECT_NE(stats.find("scans 20\n"), std::string::npos) << stats;
  const ChildResult json = Tool({"info", "--json"});
  EXPECT_NE(json.out.find("\"runner_scans\":20"), std::string::npos) << json.out;
  EXPECT_NE(json.out.find("\"runner_period_ns\":1000000"), std::string::npos) << json.out;
  const ChildResult list = Tool({"info"});
  EXPECT_NE(list.out.find("runner scans       20 scans at a 1.00 ms period, "), std::string::npos) << list.out;
  EXPECT_NE(list.out.find("runner start late  p50 "), std::string::npos) << list.out;

  const ChildResult realtime = Tool({"run", program_, "--scans", "20", "--period", "1", "--realtime=10", "--cpu", "0"});
  if (realtime.exit_code == 0) {
    EXPECT_NE(realtime.out.find("start jitter p50 "), std::string::npos) << realtime.out;
    EXPECT_NE(testing::ReadFile(dir_.File("quorsma." + env_["QUORSMA_SECTION"] + ".runner.stats"))
                  .find("realtime_priority 10\n"),
              std::string::npos);
  } else {
    EXPECT_EQ(realtime.exit_code, 1);
    EXPECT_NE(realtime.err.find("quorsma: error: cannot "), std::string::npos) << realtime.err;
  }
  EXPECT_EQ(Tool({"run", program_, "--realtime=0"}).exit_code, 2) << "priorities are 1-99";
}

}  // namespace
}  // namespace quorsma::tool
