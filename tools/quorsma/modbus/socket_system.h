// What the server needs of the system's sockets, the same on every system:
// posix/ and win32/ hold the two implementations.  Sockets are ints, as
// libmodbus hands them over on both systems.
#pragma once

#include <cstddef>
#include <string>

namespace quorsma::tool::modbus {

// Starts the system's sockets (Windows) and keeps a peer that closes early
// from ending the process (SIGPIPE on Linux).
void PrepareSockets();

// A listening TCP socket on the IPv4 address `host` and `port` (not
// inherited by child processes), or -1 and `error` says why.  A quick
// restart may bind while connections of the previous server linger; no
// other socket may share the port.
int ListenTcp(const std::string& host, int port, int backlog, std::string* error);

// Waits up to `timeout_ms` for `fd` to be readable (data, end or error):
// true when it is.
bool WaitReadable(int fd, int timeout_ms);

// The next connection on `listen_fd` (not inherited by child processes),
// its peer as "address:port", or -1.
int AcceptConnection(int listen_fd, std::string* peer);

// The port `fd` is bound to.
int BoundPort(int fd);

// Turns Nagle off and bounds a blocked send to `timeout_ms`.
void PrepareConnection(int fd, int timeout_ms);

// Sends all `size` bytes or fails (false, errno set); never raises SIGPIPE.
bool SendAll(int fd, const void* data, std::size_t size);

// What a receive that does not wait gave.
struct Received {
  enum Outcome { kData, kNothingYet, kClosed, kFailed };
  Outcome outcome;
  int length;          // bytes received (kData)
  std::string reason;  // kFailed
};
Received ReceiveNow(int fd, void* buffer, int size);

// Ends both directions (a thread blocked on it returns), and closes.
void ShutdownSocket(int fd);
void CloseSocket(int fd);

// True when `host` is an IPv4 address in dotted form.
bool IsIpv4Address(const std::string& host);

}  // namespace quorsma::tool::modbus
