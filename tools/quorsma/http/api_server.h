// The HTTP server of `quorsma serve`: the page at / and the JSON API under
// /api/ (see the README for the table).  Every request is answered by a
// thread of its own pool; an event stream holds one thread while it is open.
#pragma once

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <memory>
#include <mutex>
#include <string>

#include "listen_address.h"
#include "log_feed.h"
#include "quorsma/quorsma.h"
#include "client_names.h"

namespace httplib {
class Server;
}

namespace quorsma::tool::http {

struct ServerConfig {
  std::string section;        // the section's name
  std::string configuration;  // the configuration file the library reads
  bool writes_allowed = false;
  Permission allowed;         // the devices that writes may reach
  std::string allowed_text;   // as given to --allow-write
  std::string token;          // writes need it; empty: no writes
  std::chrono::milliseconds interval{200};
  bool collect = false;
  bool check_host = true;     // answer only requests whose Host names a loopback address
};

class ApiServer {
 public:
  // `feed` holds the collected lines when config.collect, else may be null.
  ApiServer(MH_SHARED_STRUCTURE* image, ServerConfig config, const LogFeed* feed);
  ~ApiServer();

  // Binds the listening socket; returns the port, or -1 with a reason.
  int Bind(const ListenAddress& address, std::string* error);
  // Serves until Stop; false when serving failed.
  bool Run();
  // Ends Run: open event streams end at their next step.  Safe from any thread.
  void Stop();

 private:
  void Route();
  // Waits until `deadline` or Stop; true when stopped.
  bool WaitStop(std::chrono::steady_clock::time_point deadline);

  MH_SHARED_STRUCTURE* image_;
  const ServerConfig config_;
  const LogFeed* feed_;
  std::unique_ptr<httplib::Server> server_;
  std::atomic<int> streams_{0};
  std::mutex write_mutex_;  // one write request at a time
  std::mutex stop_mutex_;
  std::condition_variable stop_signal_;
  bool stopping_ = false;
};

}  // namespace quorsma::tool::http
