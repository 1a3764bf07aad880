#include "platform/posix/background_sync.h"

#include <cerrno>
#include <chrono>

namespace quorsma::platform {

void BackgroundSync::Add(const std::vector<std::string>& paths, InterProcessLock* writers) {
  std::lock_guard<std::mutex> guard(mutex_);
  bool known = false;
  for (const Group& group : pending_) known = known || (group.paths == paths && group.writers == writers);
  if (!known) pending_.push_back({paths, writers});
  if (!thread_.joinable()) {
    stop_ = false;
    thread_ = std::thread([this] { Run(); });
  }
  changed_.notify_all();
}

void BackgroundSync::Finish() {
  std::thread thread;
  {
    std::unique_lock<std::mutex> lock(mutex_);
    stop_ = true;
    changed_.notify_all();
    thread.swap(thread_);
  }
  if (thread.joinable()) thread.join();
  // What the thread left (or what failed) is flushed here, once more.
  std::vector<Group> rest;
  {
    std::lock_guard<std::mutex> guard(mutex_);
    rest.swap(pending_);
  }
  for (const Group& group : rest) Flush(group);
}

void BackgroundSync::Run() {
  std::unique_lock<std::mutex> lock(mutex_);
  for (;;) {
    changed_.wait(lock, [this] { return stop_ || !pending_.empty(); });
    if (stop_) return;
    // Changes close together share one flush.
    changed_.wait_for(lock, std::chrono::milliseconds(kGatherMilliseconds), [this] { return stop_; });
    if (stop_) return;
    std::vector<Group> batch;
    batch.swap(pending_);
    ++in_flight_;
    lock.unlock();
    std::vector<Group> failed;
    for (const Group& group : batch)
      if (!Flush(group)) failed.push_back(group);
    lock.lock();
    --in_flight_;
    for (Group& group : failed) pending_.push_back(std::move(group));
    if (!failed.empty()) {
      // Tried again after a pause, not in a tight loop.
      changed_.wait_for(lock, std::chrono::milliseconds(500), [this] { return stop_; });
      if (stop_) return;
    }
  }
}

bool BackgroundSync::Flush(const Group& group) {
  std::vector<std::string> targets;
  for (const std::string& path : group.paths) {
    std::string target = env_->ResolveLinks(path.c_str());
    if (!target.empty()) targets.push_back(target);
  }
  for (const std::string& target : targets) env_->SyncFile(target.c_str());
  ScopedLock lock(group.writers);
  std::set<std::string> directories;
  for (const std::string& target : targets) {
    int error = env_->SyncFile(target.c_str());
    if (error == ENOENT) continue;
    if (error != 0) {
      ReportFailure(target, error);
      return false;
    }
    directories.insert(DirectoryOf(target));
  }
  for (const std::string& directory : directories) {
    int error = env_->SyncDirectory(directory.c_str());
    if (error != 0) {
      ReportFailure(directory, error);
      return false;
    }
  }
  std::lock_guard<std::mutex> guard(failing_mutex_);
  for (const std::string& target : targets) failing_.erase(target);
  for (const std::string& directory : directories) failing_.erase(directory);
  return true;
}

void BackgroundSync::ReportFailure(const std::string& path, int error) {
  const std::string text = path + " could not be made durable: " + ErrorText(error);
  env_->Trace(text.c_str());
  bool first;
  {
    std::lock_guard<std::mutex> guard(failing_mutex_);
    first = failing_.insert(path).second;
  }
  if (first) env_->ShowMessage(text.c_str());
}

}  // namespace quorsma::platform
