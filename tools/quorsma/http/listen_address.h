// The --listen value: ADDR:PORT, with an IPv6 address in brackets.
#pragma once

#include <string>
#include <string_view>

namespace quorsma::tool::http {

struct ListenAddress {
  std::string host;  // without brackets
  int port = 0;      // 0: a free port chosen by the system
};

// Parses "127.0.0.1:8080", "localhost:80", "[::1]:8080", "0.0.0.0:0".  False
// with a reason for anything else.
bool ParseListenAddress(std::string_view text, ListenAddress* out, std::string* error);

// True for 127.0.0.0/8, ::1 and "localhost".
bool IsLoopbackHost(std::string_view host);

// True when the value of a Host header names a loopback address (with or
// without a port).  A server on loopback answers only such requests, so that
// a page of another site cannot reach it through a name that it points at
// 127.0.0.1.
bool IsLoopbackHostHeader(std::string_view header);

// A listening TCP socket on `address` (a name is resolved, and its first
// address that can be bound is taken), non-blocking, without SO_REUSEPORT (so
// that no other program can share the port).  The socket, with its port in
// *port, or -1.
int OpenListenSocket(const ListenAddress& address, int* port);

}  // namespace quorsma::tool::http
