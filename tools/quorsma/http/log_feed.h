// The value-change lines that `serve --collect` takes, kept for the event
// streams: each stream sends the lines it has not sent yet.
#pragma once

#include <cstdint>
#include <deque>
#include <mutex>
#include <string>
#include <vector>

namespace quorsma::tool::http {

struct LogEntry {
  uint64_t sequence = 0;  // 1, 2, ... in the order taken
  std::string time;       // local time the line was taken, "2026-12-08 04:36:03.123"
  std::string line;       // UTF-8
  std::string who;        // a write from the page: who made it; empty for collected lines
};

class LogFeed {
 public:
  explicit LogFeed(std::size_t keep) : keep_(keep) {}

  void Add(std::string time, std::string line, std::string who = {});

  // The entries after sequence number `after`, oldest first.  Lines already
  // dropped from the feed are counted in *skipped.
  std::vector<LogEntry> Since(uint64_t after, uint64_t* skipped) const;
  uint64_t Last() const;

 private:
  const std::size_t keep_;
  mutable std::mutex mutex_;
  std::deque<LogEntry> entries_;
  uint64_t last_ = 0;
};

}  // namespace quorsma::tool::http
