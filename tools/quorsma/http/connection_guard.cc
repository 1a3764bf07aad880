#include "connection_guard.h"


#include <algorithm>
#include <cstring>

namespace quorsma::tool::http {

struct ConnectionGuard::Entry {
  int socket = -1;
  std::string address;
  Phase phase = Phase::kWaiting;
  Clock::time_point since;
  bool closing = false;  // shut down here; no longer counted
};

ConnectionGuard::ConnectionGuard(Limits limits, std::function<void(int)> close)
    : limits_(limits), close_(close ? std::move(close) : [](int socket) { ShutdownSocket(socket); }) {}

ConnectionGuard::~ConnectionGuard() = default;

bool ConnectionGuard::Admit(std::string_view address, Clock::time_point now) {
  std::lock_guard<std::mutex> lock(mutex_);
  int total = 0, same = 0;
  Entry* oldest = nullptr;       // oldest waiting connection of any address
  Entry* oldest_same = nullptr;  // ... of this address
  for (const auto& entry : entries_) {
    if (entry->closing) continue;
    ++total;
    const bool mine = entry->address == address;
    same += mine ? 1 : 0;
    // One that missed its deadline goes first, whatever its phase.
    const bool waiting = entry->phase == Phase::kWaiting || Overdue(*entry, now);
    if (!waiting) continue;
    if (oldest == nullptr || entry->since < oldest->since) oldest = entry.get();
    if (mine && (oldest_same == nullptr || entry->since < oldest_same->since)) oldest_same = entry.get();
  }
  if (same >= limits_.per_address) {
    if (oldest_same == nullptr) return false;
    Close(oldest_same);
    return true;
  }
  if (total >= limits_.total) {
    if (oldest == nullptr) return false;
    Close(oldest);
  }
  return true;
}

ConnectionGuard::Entry* ConnectionGuard::Opened(int socket, std::string address, Clock::time_point now) {
  auto entry = std::make_unique<Entry>();
  entry->socket = socket;
  entry->address = std::move(address);
  entry->since = now;
  std::lock_guard<std::mutex> lock(mutex_);
  entries_.push_back(std::move(entry));
  return entries_.back().get();
}

void ConnectionGuard::Closed(Entry* entry) {
  std::lock_guard<std::mutex> lock(mutex_);
  // Removed before the library closes the socket, so that a socket named
  // here is always still this connection's.
  auto it = std::find_if(entries_.begin(), entries_.end(), [entry](const auto& e) { return e.get() == entry; });
  if (it == entries_.end()) return;
  std::swap(*it, entries_.back());
  entries_.pop_back();
}

void ConnectionGuard::Enter(Entry* entry, Phase phase, Clock::time_point now) {
  std::lock_guard<std::mutex> lock(mutex_);
  entry->phase = phase;
  entry->since = now;
}

int ConnectionGuard::Sweep(Clock::time_point now) {
  std::lock_guard<std::mutex> lock(mutex_);
  int closed = 0;
  for (const auto& entry : entries_) {
    if (entry->closing || !Overdue(*entry, now)) continue;
    Close(entry.get());
    ++closed;
  }
  return closed;
}

void ConnectionGuard::Close(Entry* entry) {
  entry->closing = true;
  close_(entry->socket);
}

bool ConnectionGuard::Overdue(const Entry& entry, Clock::time_point now) const {
  switch (entry.phase) {
    case Phase::kWaiting: return now - entry.since > limits_.request_deadline;
    case Phase::kAnswering: return now - entry.since > limits_.answer_deadline;
    case Phase::kStreaming: return false;
  }
  return false;
}

std::string AddressKey(const sockaddr* address) {
  if (address == nullptr) return {};
  if (address->sa_family == AF_INET) {
    const auto* v4 = reinterpret_cast<const sockaddr_in*>(address);
    return std::string(reinterpret_cast<const char*>(&v4->sin_addr), sizeof v4->sin_addr);
  }
  if (address->sa_family == AF_INET6) {
    const auto* v6 = reinterpret_cast<const sockaddr_in6*>(address);
    if (IN6_IS_ADDR_V4MAPPED(&v6->sin6_addr))
      return std::string(reinterpret_cast<const char*>(&v6->sin6_addr) + 12, 4);
    return std::string(reinterpret_cast<const char*>(&v6->sin6_addr), sizeof v6->sin6_addr);
  }
  return {};
}

}  // namespace quorsma::tool::http
