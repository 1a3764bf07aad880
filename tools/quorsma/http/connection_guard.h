// The account of the server's open connections, so that no client holds one
// past its deadline and clients that merely hold connections open never shut
// out a new one.
//
// A connection is waiting (for its request, from when it opened or its
// previous answer was taken), answering (its request is in and its answer is
// being sent) or streaming (an event stream).  A waiting connection must
// bring its whole request within the request deadline and an answering one
// must take its answer within the answer deadline; past that it is closed
// (its socket shut down, which the HTTP library then notices).  A new
// connection that would pass the limit of its address, or the limit of all,
// makes room by closing the oldest waiting connection of that address, or of
// any; when none is waiting it is refused.  Streams are bounded by their own
// count and never closed to make room.
#pragma once

#include <chrono>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <string_view>
#include <vector>

#include "socket_system.h"

namespace quorsma::tool::http {

class ConnectionGuard {
 public:
  using Clock = std::chrono::steady_clock;
  enum class Phase { kWaiting, kAnswering, kStreaming };
  struct Entry;

  struct Limits {
    int per_address;
    int total;
    Clock::duration request_deadline;
    Clock::duration answer_deadline;
  };
  // `close` ends a connection by its socket; by default it shuts the socket
  // down in both directions.
  explicit ConnectionGuard(Limits limits, std::function<void(int socket)> close = {});
  ~ConnectionGuard();

  // A connection from `address` asks to come in: true when it may (having
  // closed an older one if a limit was reached).
  bool Admit(std::string_view address, Clock::time_point now);
  // The connection is open on `socket`; the entry goes to the calls below.
  Entry* Opened(int socket, std::string address, Clock::time_point now);
  void Closed(Entry* entry);
  void Enter(Entry* entry, Phase phase, Clock::time_point now);
  // Closes the connections past their deadline; returns how many.
  int Sweep(Clock::time_point now);

 private:
  void Close(Entry* entry);
  bool Overdue(const Entry& entry, Clock::time_point now) const;

  const Limits limits_;
  const std::function<void(int)> close_;
  std::mutex mutex_;
  std::vector<std::unique_ptr<Entry>> entries_;
};

// The address of a peer as bytes to compare (an IPv4 address mapped into
// IPv6 as the IPv4 one); empty for other kinds of address.
std::string AddressKey(const sockaddr* address);

}  // namespace quorsma::tool::http
