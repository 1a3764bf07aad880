// The bounds the server keeps, stated once: the README and the refusals
// quote them.  Whatever a client sends, it makes the server hold at most one
// connection's memory (kConnectionMemoryBytes) plus its body (kMaxBodyBytes)
// or its answer, for at most a deadline.
#pragma once

#include <chrono>
#include <cstddef>

namespace quorsma::tool::http {

// Path and query of a request; longer ones get 414.
inline constexpr std::size_t kMaxTargetBytes = 8000;
// Header lines of a request, and their bytes (names and values with their
// separators, without the request line); more get 431.
inline constexpr std::size_t kMaxHeaderLines = 100;
inline constexpr std::size_t kMaxHeaderBytes = 16 * 1024;
// What the HTTP library keeps for one connection: its request line and
// headers (read into it), and its send buffer.  A request head that does not
// fit is refused by the library itself (431, or 414 when the request line
// alone does not fit) with a short HTML page, before it is read further.
inline constexpr std::size_t kConnectionMemoryBytes = 48 * 1024;
static_assert(kConnectionMemoryBytes >= kMaxTargetBytes + kMaxHeaderBytes + 16 * 1024,
              "a request within the limits above must fit in a connection's memory");
// Request bodies, counted as received whether sent with a Content-Length or
// in chunks; larger ones get 413.  A Content-Length above the limit is
// refused before any of the body is read; a chunked body that passes it is
// read to its end without being kept, then refused.
inline constexpr std::size_t kMaxBodyBytes = 1 << 20;
// Bodies sent as form data (curl's default for -d) are taken up to this.
inline constexpr std::size_t kMaxFormBodyBytes = 8192;
// Devices one request may name (watch lists, writes, comments).
inline constexpr std::size_t kMaxRequestDevices = 10000;
// Event streams open at once; one more gets 503.
inline constexpr int kMaxEventStreams = 64;
// Connections open at once, in all and from one address.  A new connection
// beyond either makes room by closing the oldest connection (of that
// address, or of any) that is waiting for its request; when none is waiting
// (every one is being answered or streaming), the new one is closed.  One
// address may hold every event stream and as many requests again.
inline constexpr int kMaxConnections = 256;
inline constexpr int kMaxConnectionsPerAddress = 2 * kMaxEventStreams;
// The library's own limits stand behind these, higher, for the connections
// already closed and not yet cleaned up: a burst of hundreds of connections
// from one address (all of loopback's clients share 127.0.0.1) must reach
// the guard, which makes room by closing the oldest waiting ones, rather than
// be refused by the library before a good client's turn comes.  A connection
// that waits holds little more than its socket until it sends.
inline constexpr int kConnectionSlack = 512;
// Threads that run the server's event loops; a slow client holds none.
inline constexpr int kServerThreads = 4;
// A connection must bring its whole request (line, headers and body) within
// this from when it opened or its previous answer was taken; else it is
// closed, without answer.  This, not a time per byte, is what ends a client
// that trickles.
inline constexpr std::chrono::seconds kRequestDeadline{5};
// An answer (other than an event stream) must be taken in full within this;
// a piece of an event stream likewise.
inline constexpr std::chrono::seconds kAnswerDeadline{10};
// A connection that makes no progress at all for this long is closed (this
// also ends an event stream whose client stopped reading).
inline constexpr std::chrono::seconds kIdleTimeout{5};
// How often the deadlines are looked at.
inline constexpr std::chrono::milliseconds kSweepInterval{100};
// Answers waiting to be taken, all connections together; a request whose
// answer would pass this gets 503.
inline constexpr std::size_t kMaxAnswerBytesHeld = 64u << 20;
// An event stream with nothing to say sends a comment line this often, so
// that a client that went away is noticed.
inline constexpr std::chrono::seconds kKeepAlive{15};
// Collected value-change lines kept for event streams that fall behind.
inline constexpr std::size_t kLogLinesKept = 1000;

// Trends: samples kept per device (at the server's --interval: 10 minutes at
// the default 200 ms), and devices kept at once.  3000 samples of 64 devices
// hold 768 KB.
inline constexpr std::size_t kHistorySamples = 3000;
inline constexpr std::size_t kHistoryDevices = 64;
// Page writes kept for the change pane, and the largest program the page
// draws as rungs (a larger one is listed by its instruction count only).
inline constexpr std::size_t kWritesKept = 1000;
inline constexpr std::size_t kMaxDrawnInstructions = 20000;

}  // namespace quorsma::tool::http
