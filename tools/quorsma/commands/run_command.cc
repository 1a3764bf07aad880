// quorsma run PROGRAM...: the ladder runner.
//
// Two threads: the scan thread runs the cycles and nothing else that can
// wait; a helper thread watches the force table (quorsma force), publishes
// the statistics for monitors (runner/scan_stats_file.h) and tells a service
// manager that the runner is ready once the first scan has run.  The helper hands a
// changed force table over at the end of a cycle, and reads the statistics
// while the scan thread adds to them (runner/scan_stats.h), so the scan thread
// never opens a file and never waits for the helper.
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <cstdio>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "cli/client_names.h"
#include "cli/commands.h"
#include "cli/host.h"
#include "cli/library_messages.h"
#include "cli/plural.h"
#include "cli/terminal.h"
#include "runner/program_checker.h"
#include "runner/program_devices.h"
#include "runner/program_publisher.h"
#include "runner/scan_loop.h"
#include "runner/scan_realtime.h"
#include "runner/scan_runner.h"
#include "runner/scan_stats_file.h"

namespace quorsma::tool {
namespace {

constexpr auto kForceRefresh = std::chrono::milliseconds(50);
constexpr auto kPublishEvery = std::chrono::milliseconds(1000);

struct RunArgs {
  std::vector<std::string> programs;
  int64_t scans = 0;
  int64_t period_ms = 10;
  bool quiet = false;
  RealtimeOptions realtime;
};

int64_t UnixMs() {
  return std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::system_clock::now().time_since_epoch())
      .count();
}

// A force table of its own (copies of a ForceTable share one table) with the
// forces of `forces`.
std::unique_ptr<ForceTable> TableOf(const std::vector<Force>& forces) {
  auto table = std::make_unique<ForceTable>();
  for (const Force& f : forces) table->Set(f);
  return table;
}

// The force table the scan thread applies, and a newer one waiting for it.
class ForceHandover {
 public:
  explicit ForceHandover(const std::vector<Force>& forces) : current_(TableOf(forces)) {}

  // Scan thread: the table in force.
  const ForceTable& current() const { return *current_; }
  // Scan thread, between cycles: takes a waiting table, unless the helper is
  // just handing one over (then at the next cycle).
  void TakeWaiting() {
    if (!waiting_.load(std::memory_order_acquire)) return;
    std::unique_lock<std::mutex> lock(mutex_, std::try_to_lock);
    if (!lock.owns_lock()) return;
    current_.swap(offered_);  // the old table goes back to the helper, which frees it
    waiting_.store(false, std::memory_order_relaxed);
  }
  // Helper thread: offers `forces`, in place of any table not yet taken.
  void Offer(const std::vector<Force>& forces) {
    std::unique_ptr<ForceTable> table = TableOf(forces);
    std::lock_guard<std::mutex> lock(mutex_);
    offered_.swap(table);
    waiting_.store(true, std::memory_order_release);
  }

 private:
  std::unique_ptr<ForceTable> current_;
  std::unique_ptr<ForceTable> offered_;
  std::atomic<bool> waiting_{false};
  std::mutex mutex_;
};

// The helper thread: reloads the force table when its file changes,
// publishes the statistics about once a second and when stopped, and says
// READY to a service manager once the scans have begun.
class RunnerHelper {
 public:
  // `watched` is the loaded force table, which the helper keeps to itself.
  RunnerHelper(ForceHandover& forces, ForceTable watched, const ScanStats& stats, int realtime_priority,
               std::string program)
      : forces_(forces),
        watched_(std::move(watched)),
        stats_(stats),
        priority_(realtime_priority),
        program_(std::move(program)) {
    offered_ = watched_.forces();
    thread_ = std::thread([this] { Work(); });
  }
  ~RunnerHelper() { Stop(false); }

  // Ends the thread; with `publish`, publishes the final statistics (the
  // runner has ended).
  void Stop(bool publish) {
    if (!thread_.joinable()) return;
    {
      std::lock_guard<std::mutex> lock(mutex_);
      stop_ = true;
    }
    wake_.notify_all();
    thread_.join();
    if (!publish) return;
    SayReady();  // a run shorter than the helper's first look
    Publish(false);
  }

 private:
  void Work() {
    auto next_publish = std::chrono::steady_clock::now() + kPublishEvery;
    std::unique_lock<std::mutex> lock(mutex_);
    while (!stop_) {
      lock.unlock();
      // A table that cannot be read leaves the forces as they were.
      const std::string refused = watched_.Refresh();
      if (!refused.empty())
        std::fprintf(stderr, "quorsma: warning: the forces stay as they were: %s\n", refused.c_str());
      std::vector<Force> now = watched_.forces();
      if (now != offered_) {
        offered_ = std::move(now);
        forces_.Offer(offered_);
      }
      SayReady();
      if (std::chrono::steady_clock::now() >= next_publish) {
        Publish(true);
        next_publish += kPublishEvery;
      }
      lock.lock();
      wake_.wait_for(lock, kForceRefresh, [this] { return stop_; });
    }
  }

  // Once scanning: ready for a service manager that waits for it.
  void SayReady() {
    if (ready_ || stats_.count() == 0) return;
    ServiceNotify("READY=1\nSTATUS=running " + program_);
    ready_ = true;
  }

  void Publish(bool running) {
    std::string error;
    const StatsFields fields = ScanStatsFields(stats_, static_cast<int64_t>(CurrentProcessId()), running, UnixMs(),
                                               priority_);
    // A file that cannot be written is said once: monitors then see no
    // statistics, and the run goes on.
    if (!WriteScanStatsFile(fields, &error) && !said_) {
      said_ = true;
      std::fprintf(stderr, "quorsma: warning: the statistics are not published: %s\n", error.c_str());
    }
  }

  ForceHandover& forces_;
  ForceTable watched_;
  std::vector<Force> offered_;
  const ScanStats& stats_;
  const int priority_;
  const std::string program_;
  bool ready_ = false;
  bool said_ = false;
  std::mutex mutex_;
  std::condition_variable wake_;
  bool stop_ = false;
  std::thread thread_;
};

int Run(const RunArgs& args) {
  if (!CheckInputFiles(args.programs, kMaxProgramBytes)) return kExitBadInput;
  // The checker asks the library about operands, so the section comes first.
  MH_SHARED_STRUCTURE* image = RequireImage();
  if (image == nullptr) return kExitFailure;
  Program program;
  std::vector<std::string> errors, warnings;
  const bool loaded = LoadPrograms(args.programs, &program, &errors, &warnings);
  for (const std::string& w : warnings) std::fprintf(stderr, "%s\n", w.c_str());
  if (!loaded) {
    for (const std::string& e : errors) std::fprintf(stderr, "%s\n", e.c_str());
    std::fprintf(stderr, "quorsma: error: %s; nothing was run\n", Counted(static_cast<int64_t>(errors.size()), "error").c_str());
    return kExitBadInput;
  }
  // The evaluation state (result stack, branch store) is one per section.
  SectionLock lock;
  std::string error;
  if (!lock.Acquire("runner", &error)) return Fail(error);
  ForceTable forces;
  if (!forces.Load(&error)) return Fail(error);
  CaptureLibraryMessages();
  InstallStopHandler();

  ScanClock clock;
  ScanRunner runner(image, program, clock);
  ScanStats stats;
  stats.set_period_ns(args.period_ms * 1000000);
  ForceHandover handover(forces.forces());
  // The helpers first, so that they keep normal scheduling.
  RunnerHelper helper(handover, std::move(forces), stats, args.realtime.priority, program.name);
  ProgramPublisher publisher(program, runner, stats);
  error = EnterRealtime(args.realtime);
  if (!error.empty()) {
    helper.Stop(false);  // nothing ran: an earlier run's statistics stay
    return Fail(error);
  }
  if (!args.quiet) {
    std::fprintf(stderr, "quorsma: running %s: %s; ", program.name.c_str(), ProgramSize(program).c_str());
    if (args.scans > 0)
      std::fprintf(stderr, "%s", Counted(args.scans, "scan").c_str());
    else
      std::fprintf(stderr, "Ctrl-C stops");
    if (args.realtime.priority > 0) std::fprintf(stderr, "; real time, priority %d", args.realtime.priority);
    std::fprintf(stderr, "\n");
  }
  LoopOptions options;
  options.scans = args.scans;
  options.period_ns = args.period_ms * 1000000;
  options.stats = &stats;
  RunLoop(
      runner, clock, options,
      [&] {
        handover.current().ApplyOutputs(image);
        handover.TakeWaiting();  // a force set or cleared by another command
        publisher.AfterScan();
      },
      [&] { handover.current().ApplyInputs(image); });
  helper.Stop(true);
  publisher.Stop();
  EndLineAfterInterrupt();
  PrintRepeatedLibraryMessages();
  std::printf("%s\n", stats.Summary().c_str());
  const std::string period = stats.PeriodSummary();
  if (!period.empty()) std::printf("%s\n", period.c_str());
  return 0;
}

}  // namespace

void AddRunCommand(CLI::App& app, int* exit_code) {
  auto args = std::make_shared<RunArgs>();
  CLI::App* run = app.add_subcommand("run", "Run instruction-list programs scan after scan (Ctrl-C stops after the scan)");
  run->add_option("PROGRAM", args->programs,
                  "Instruction-list files, run one after the other in every scan")
      ->required();
  run->add_option("--scans", args->scans, "Number of scans to run, 1 or more (default: until Ctrl-C)")
      ->check(CLI::Range(int64_t{1}, INT64_MAX));
  run->add_option("--period", args->period_ms, "Milliseconds from the start of one scan to the next; 0 runs back to back")
      ->default_val(10)
      ->check(CLI::Range(0, 3600000));
  run->add_flag("--realtime{" + std::to_string(kDefaultRealtimePriority) + "}", args->realtime.priority,
                "Scan in real time (Linux): SCHED_FIFO at PRIORITY 1-99 (--realtime=PRIORITY; default " +
                    std::to_string(kDefaultRealtimePriority) + ") with the memory locked; exits 1 when not permitted")
      ->check(CLI::Range(1, 99));
  run->add_option("--cpu", args->realtime.cpu, "Run the scans on this CPU only (0, 1, ...)")
      ->check(CLI::NonNegativeNumber);
  run->add_flag("-q,--quiet", args->quiet, "Print only the closing statistics");
  run->footer(
      "Program format: one instruction per line, its name (the export's name, such as LAD_OUT, or an alias such as\n"
      "OUT) and its operands separated by blanks; ';' starts a comment.  The whole program is checked before the\n"
      "first scan.  The runner keeps SM400 on, SM401 off, SM402 on in the first scan, SM403 on from the second,\n"
      "SM411/SM412 as 0.2 s/1 s clocks, writes PulseSlot before every edge instruction and advances the timers.\n"
      "One runner per section: a second one refuses to start.  Forced inputs (quorsma force) are written before\n"
      "each scan, forced outputs, relays and registers after it.  At the end it prints the scan times and, at a\n"
      "period, how late the scans started (start jitter) and how many overran; quorsma info shows the same while\n"
      "it runs.");
  run->callback([args, exit_code] { *exit_code = Run(*args); });
}

}  // namespace quorsma::tool
