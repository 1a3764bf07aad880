#include "stream_waker.h"

namespace quorsma::tool::http {

bool StreamWaker::Suspend(MHD_Connection* connection, Clock::time_point due) {
  std::lock_guard<std::mutex> lock(mutex_);
  if (stopping_) return false;
  MHD_suspend_connection(connection);
  const auto at = due_.emplace(due, connection);
  if (at == due_.begin()) changed_.notify_one();
  return true;
}

void StreamWaker::Run() {
  std::unique_lock<std::mutex> lock(mutex_);
  while (!stopping_) {
    if (due_.empty()) {
      changed_.wait(lock);
    } else {
      changed_.wait_until(lock, due_.begin()->first);
    }
    if (stopping_) break;
    const Clock::time_point now = Clock::now();
    while (!due_.empty() && due_.begin()->first <= now) {
      MHD_resume_connection(due_.begin()->second);
      due_.erase(due_.begin());
    }
  }
}

void StreamWaker::Stop() {
  std::lock_guard<std::mutex> lock(mutex_);
  stopping_ = true;
  for (const auto& [due, connection] : due_) MHD_resume_connection(connection);
  due_.clear();
  changed_.notify_all();
}

}  // namespace quorsma::tool::http
