#include "log_feed.h"

namespace quorsma::tool::http {

void LogFeed::Add(std::string time, std::string line, std::string who) {
  std::lock_guard<std::mutex> lock(mutex_);
  entries_.push_back(LogEntry{++last_, std::move(time), std::move(line), std::move(who)});
  while (entries_.size() > keep_) entries_.pop_front();
}

std::vector<LogEntry> LogFeed::Since(uint64_t after, uint64_t* skipped) const {
  std::lock_guard<std::mutex> lock(mutex_);
  *skipped = 0;
  std::vector<LogEntry> out;
  if (last_ <= after) return out;
  const uint64_t first_kept = entries_.empty() ? last_ + 1 : entries_.front().sequence;
  if (first_kept > after + 1) *skipped = first_kept - after - 1;
  for (const LogEntry& entry : entries_)
    if (entry.sequence > after) out.push_back(entry);
  return out;
}

uint64_t LogFeed::Last() const {
  std::lock_guard<std::mutex> lock(mutex_);
  return last_;
}

}  // namespace quorsma::tool::http
