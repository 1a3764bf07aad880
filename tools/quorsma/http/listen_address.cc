#include "listen_address.h"

#include <cstdint>
#include <string>

#include "socket_system.h"

namespace quorsma::tool::http {
namespace {

bool ParsePort(std::string_view text, int* port) {
  if (text.empty() || text.size() > 5) return false;
  int value = 0;
  for (char c : text) {
    if (c < '0' || c > '9') return false;
    value = value * 10 + (c - '0');
  }
  if (value > 65535) return false;
  *port = value;
  return true;
}

// Splits "host:port" or "[v6]:port"; the port part may be missing when
// `port_optional`.
bool Split(std::string_view text, bool port_optional, std::string_view* host, std::string_view* port) {
  if (!text.empty() && text.front() == '[') {
    const std::size_t close = text.find(']');
    if (close == std::string_view::npos) return false;
    *host = text.substr(1, close - 1);
    std::string_view rest = text.substr(close + 1);
    if (rest.empty()) {
      *port = {};
      return port_optional;
    }
    if (rest.front() != ':') return false;
    *port = rest.substr(1);
    return true;
  }
  const std::size_t colon = text.rfind(':');
  if (colon == std::string_view::npos) {
    *host = text;
    *port = {};
    return port_optional;
  }
  *host = text.substr(0, colon);
  *port = text.substr(colon + 1);
  return host->find(':') == std::string_view::npos;
}

bool Refuse(std::string_view text, const char* reason, std::string* error) {
  *error = "'" + std::string(text) + "': " + reason;
  return false;
}

bool EqualsIgnoringCase(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i) {
    char c = a[i];
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    if (c != b[i]) return false;
  }
  return true;
}

}  // namespace

bool ParseListenAddress(std::string_view text, ListenAddress* out, std::string* error) {
  std::string_view host, port;
  if (!Split(text, false, &host, &port) || host.empty())
    return Refuse(text, "ADDR:PORT, such as 127.0.0.1:8080 or [::1]:8080", error);
  if (!ParsePort(port, &out->port)) return Refuse(text, "the port is a number from 0 to 65535", error);
  out->host = std::string(host);
  return true;
}

bool IsLoopbackHost(std::string_view host) {
  if (EqualsIgnoringCase(host, "localhost")) return true;
  const std::string text(host);
  in_addr v4{};
  if (inet_pton(AF_INET, text.c_str(), &v4) == 1) return (ntohl(v4.s_addr) >> 24) == 127;
  in6_addr v6{};
  if (inet_pton(AF_INET6, text.c_str(), &v6) == 1) return IN6_IS_ADDR_LOOPBACK(&v6);
  return false;
}

bool IsLoopbackHostHeader(std::string_view header) {
  std::string_view host, port;
  if (!Split(header, true, &host, &port)) return false;
  int ignored = 0;
  if (!port.empty() && !ParsePort(port, &ignored)) return false;
  return IsLoopbackHost(host);
}

int OpenListenSocket(const ListenAddress& address, int* port) {
  StartSockets();
  addrinfo hints{};
  hints.ai_family = AF_UNSPEC;
  hints.ai_socktype = SOCK_STREAM;
  hints.ai_flags = AI_PASSIVE | AI_NUMERICSERV;
  addrinfo* found = nullptr;
  if (getaddrinfo(address.host.c_str(), std::to_string(address.port).c_str(), &hints, &found) != 0) return -1;
  int sock = -1;
  for (const addrinfo* at = found; at != nullptr && sock < 0; at = at->ai_next) {
    sock = OpenStreamSocket(at->ai_family, at->ai_socktype, at->ai_protocol);
    if (sock < 0) continue;
    AllowQuickRebind(sock);
    if (bind(sock, at->ai_addr, at->ai_addrlen) != 0 || listen(sock, SOMAXCONN) != 0) {
      CloseSocket(sock);
      sock = -1;
    }
  }
  freeaddrinfo(found);
  if (sock < 0) return -1;
  sockaddr_storage bound{};
  socklen_t length = sizeof bound;
  getsockname(sock, reinterpret_cast<sockaddr*>(&bound), &length);
  *port = ntohs(bound.ss_family == AF_INET6 ? reinterpret_cast<sockaddr_in6*>(&bound)->sin6_port
                                            : reinterpret_cast<sockaddr_in*>(&bound)->sin_port);
  return sock;
}

}  // namespace quorsma::tool::http
