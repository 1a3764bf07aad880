// The bounds the server keeps, stated once: the README and the refusals
// quote them.
#pragma once

#include <chrono>
#include <cstddef>

namespace quorsma::tool::http {

// Path and query of a request; longer ones get 414.
inline constexpr std::size_t kMaxTargetBytes = 8000;
// Request bodies; larger ones get 413.
inline constexpr std::size_t kMaxBodyBytes = 1 << 20;
// Devices one request may name (watch lists, writes, comments).
inline constexpr std::size_t kMaxRequestDevices = 10000;
// Event streams open at once; one more gets 503.
inline constexpr int kMaxEventStreams = 64;
// Connections served at once beside the event streams.
inline constexpr int kRequestThreads = 16;
// A client that takes longer than this to send its request or to accept a
// write is dropped, so that it holds a thread no longer.
inline constexpr std::chrono::seconds kReadTimeout{5};
inline constexpr std::chrono::seconds kWriteTimeout{5};
// An event stream with nothing to say sends a comment line this often, so
// that a client that went away is noticed.
inline constexpr std::chrono::seconds kKeepAlive{15};
// Collected value-change lines kept for event streams that fall behind.
inline constexpr std::size_t kLogLinesKept = 1000;

}  // namespace quorsma::tool::http
