// The thread that makes files replaced without waiting for the disk durable
// shortly after: it flushes their bytes first, without the writers' lock
// (the slow part), then, holding it, flushes them again (little is left) and
// their directory, so the directory never records a rename whose bytes are
// not on the disk.
#pragma once

#include <condition_variable>
#include <mutex>
#include <set>
#include <string>
#include <thread>
#include <vector>

#include "platform/env.h"

namespace quorsma::platform {

class BackgroundSync {
 public:
  // Changes handed over are durable at most this long after their
  // replacement plus the time of one or two flushes.
  static constexpr int kGatherMilliseconds = 20;

  explicit BackgroundSync(Env* env) : env_(env) {}

  void Add(const std::vector<std::string>& paths, InterProcessLock* writers);
  // Flushes everything handed over so far and stops the thread (a later Add
  // starts it again).
  void Finish();

 private:
  struct Group {
    std::vector<std::string> paths;
    InterProcessLock* writers;
  };
  void Run();
  // False when a step failed; the group is then kept and tried again.  A
  // file that cannot be made durable is reported as a message once, until
  // a flush of it succeeds: its change was reported saved, and a power cut
  // would lose it.
  bool Flush(const Group& group);
  void ReportFailure(const std::string& path, int error);

  Env* env_;
  std::mutex mutex_;
  std::condition_variable changed_;
  std::vector<Group> pending_;
  int in_flight_ = 0;
  bool stop_ = false;
  std::thread thread_;
  std::mutex failing_mutex_;
  std::set<std::string> failing_;  // paths reported as failing
};

}  // namespace quorsma::platform
