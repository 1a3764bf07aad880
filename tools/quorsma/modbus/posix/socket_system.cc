#include "../socket_system.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <sys/socket.h>
#include <sys/time.h>
#include <unistd.h>

#include <cerrno>
#include <csignal>
#include <cstring>

namespace quorsma::tool::modbus {

void PrepareSockets() { std::signal(SIGPIPE, SIG_IGN); }

int ListenTcp(const std::string& host, int port, int backlog, std::string* error) {
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_port = htons(static_cast<uint16_t>(port));
  if (inet_pton(AF_INET, host.c_str(), &address.sin_addr) != 1) {
    *error = "not an IPv4 address";
    return -1;
  }
  const int fd = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, IPPROTO_TCP);
  if (fd < 0) {
    *error = std::strerror(errno);
    return -1;
  }
  const int yes = 1;
  setsockopt(fd, SOL_SOCKET, SO_REUSEADDR, &yes, sizeof yes);  // never SO_REUSEPORT
  if (bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0 || listen(fd, backlog) != 0) {
    *error = std::strerror(errno);
    close(fd);
    return -1;
  }
  return fd;
}

bool WaitReadable(int fd, int timeout_ms) {
  pollfd p{fd, POLLIN, 0};
  return poll(&p, 1, timeout_ms) > 0;
}

int AcceptConnection(int listen_fd, std::string* peer) {
  sockaddr_in address{};
  socklen_t length = sizeof address;
  const int fd = accept4(listen_fd, reinterpret_cast<sockaddr*>(&address), &length, SOCK_CLOEXEC);
  if (fd < 0) return -1;
  char text[INET_ADDRSTRLEN] = "?";
  inet_ntop(AF_INET, &address.sin_addr, text, sizeof text);
  *peer = std::string(text) + ":" + std::to_string(ntohs(address.sin_port));
  return fd;
}

int BoundPort(int fd) {
  sockaddr_in bound{};
  socklen_t length = sizeof bound;
  getsockname(fd, reinterpret_cast<sockaddr*>(&bound), &length);
  return ntohs(bound.sin_port);
}

void PrepareConnection(int fd, int timeout_ms) {
  const int on = 1;
  setsockopt(fd, IPPROTO_TCP, TCP_NODELAY, &on, sizeof on);
  const timeval send_timeout{timeout_ms / 1000, 0};
  setsockopt(fd, SOL_SOCKET, SO_SNDTIMEO, &send_timeout, sizeof send_timeout);
}

bool SendAll(int fd, const void* data, std::size_t size) {
  const ssize_t n = send(fd, data, size, MSG_NOSIGNAL);
  if (n >= 0 && static_cast<std::size_t>(n) < size) errno = ETIMEDOUT;  // part went before the send timeout
  return n >= 0 && static_cast<std::size_t>(n) == size;
}

Received ReceiveNow(int fd, void* buffer, int size) {
  const ssize_t n = recv(fd, buffer, size, MSG_DONTWAIT);
  if (n > 0) return {Received::kData, static_cast<int>(n), {}};
  if (n == 0 || errno == ECONNRESET) return {Received::kClosed, 0, {}};
  if (errno == EAGAIN || errno == EWOULDBLOCK || errno == EINTR) return {Received::kNothingYet, 0, {}};
  return {Received::kFailed, 0, std::strerror(errno)};
}

void ShutdownSocket(int fd) { shutdown(fd, SHUT_RDWR); }

void CloseSocket(int fd) { close(fd); }

bool IsIpv4Address(const std::string& host) {
  in_addr ignored{};
  return inet_pton(AF_INET, host.c_str(), &ignored) == 1;
}

}  // namespace quorsma::tool::modbus
