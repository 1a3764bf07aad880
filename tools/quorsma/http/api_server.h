// The HTTP server of `quorsma serve`: the page at / and the JSON API under
// /api/ (see the README for the table), on libmicrohttpd.  A few threads run
// event loops over every connection, so a slow client holds no thread; each
// connection is bounded in memory by the library and in time by the
// deadlines of connection_guard.h.  Every bound is in server_limits.h.
#pragma once

#include <atomic>
#include <condition_variable>
#include <cstddef>
#include <mutex>
#include <string>

#include "api_handlers.h"
#include "connection_guard.h"
#include "listen_address.h"
#include "log_feed.h"
#include "quorsma/quorsma.h"
#include "stream_waker.h"

namespace quorsma::tool::http {

class ApiServer {
 public:
  // `feed` holds the collected lines when config.collect, else may be null.
  // Page writes are added to `feed` too, for the change pane.
  ApiServer(MH_SHARED_STRUCTURE* image, ServerConfig config, LogFeed* feed);
  ~ApiServer();

  // Binds the listening socket; returns the port, or -1 with a reason.
  int Bind(const ListenAddress& address, std::string* error);
  // Serves until Stop; false when serving failed.
  bool Run();
  // Ends Run within a moment, whatever the clients do: open event streams
  // end, every connection is closed.  Safe from any thread.
  void Stop();

 private:
  friend struct ServerGlue;
  void Sample();

  MH_SHARED_STRUCTURE* image_;
  const ServerConfig config_;
  LogFeed* feed_;
  ApiHandlers handlers_;
  ConnectionGuard guard_;
  StreamWaker waker_;
  int listen_socket_ = -1;  // until handed to the library
  std::atomic<int> streams_{0};
  std::atomic<std::size_t> answer_bytes_{0};  // held by answers not yet taken
  std::mutex stop_mutex_;
  std::condition_variable stop_signal_;
  std::condition_variable sample_signal_;
  bool stopping_ = false;
};

}  // namespace quorsma::tool::http
