// Wakes the event streams at their next step.  A stream with nothing to send
// suspends its connection in the HTTP library (so that it holds no thread
// and the library does not ask it again and again) and is resumed here when
// its time comes, or when the server stops.
#pragma once

#include <microhttpd.h>

#include <chrono>
#include <condition_variable>
#include <map>
#include <mutex>

namespace quorsma::tool::http {

class StreamWaker {
 public:
  using Clock = std::chrono::steady_clock;

  // Suspends `connection` until `due`; called from its content reader, which
  // then returns 0.  False, with nothing suspended, once stopping: the
  // stream should end.
  bool Suspend(MHD_Connection* connection, Clock::time_point due);
  // Resumes each suspended stream at its time, until Stop.
  void Run();
  // Resumes every suspended stream, refuses further suspensions and ends
  // Run.  Every stream must be resumed before the library's server stops.
  void Stop();

 private:
  std::mutex mutex_;
  std::condition_variable changed_;
  std::multimap<Clock::time_point, MHD_Connection*> due_;
  bool stopping_ = false;
};

}  // namespace quorsma::tool::http
