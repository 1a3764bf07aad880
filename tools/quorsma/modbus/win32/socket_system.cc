// Windows sockets: WSAPoll for poll, closesocket, millisecond send timeouts,
// and no SIGPIPE to ignore.
#include <winsock2.h>
#include <ws2tcpip.h>

#include <cerrno>
#include <string>

#include "../socket_system.h"

namespace quorsma::tool::modbus {
namespace {

// The errors a listener meets most are named as on Linux; the others as
// the system words them.
std::string SocketErrorText(int code) {
  switch (code) {
    case WSAEADDRINUSE: return "Address already in use";
    case WSAEADDRNOTAVAIL: return "Cannot assign requested address";
    case WSAEACCES: return "Permission denied";
    default: break;
  }
  char* text = nullptr;
  const DWORD n = FormatMessageA(FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM |
                                     FORMAT_MESSAGE_IGNORE_INSERTS,
                                 nullptr, static_cast<DWORD>(code), 0, reinterpret_cast<char*>(&text), 0, nullptr);
  std::string message = n > 0 && text != nullptr ? std::string(text, n) : "socket error " + std::to_string(code);
  if (text != nullptr) LocalFree(text);
  while (!message.empty() && (message.back() == '\n' || message.back() == '\r' || message.back() == '.'))
    message.pop_back();
  return message;
}

SOCKET Handle(int fd) { return static_cast<SOCKET>(fd); }

}  // namespace

void PrepareSockets() {
  WSADATA data;
  WSAStartup(MAKEWORD(2, 2), &data);
}

// Windows binds again while connections linger without asking; its
// SO_REUSEADDR (which libmodbus's own listen sets) would let another socket
// share the port, so the port is claimed exclusively instead.
int ListenTcp(const std::string& host, int port, int backlog, std::string* error) {
  PrepareSockets();
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_port = htons(static_cast<u_short>(port));
  if (inet_pton(AF_INET, host.c_str(), &address.sin_addr) != 1) {
    *error = "not an IPv4 address";
    return -1;
  }
  const SOCKET s = WSASocketW(AF_INET, SOCK_STREAM, IPPROTO_TCP, nullptr, 0, WSA_FLAG_NO_HANDLE_INHERIT);
  if (s == INVALID_SOCKET) {
    *error = SocketErrorText(WSAGetLastError());
    return -1;
  }
  const BOOL yes = TRUE;
  setsockopt(s, SOL_SOCKET, SO_EXCLUSIVEADDRUSE, reinterpret_cast<const char*>(&yes), sizeof yes);
  if (bind(s, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0 || listen(s, backlog) != 0) {
    *error = SocketErrorText(WSAGetLastError());
    closesocket(s);
    return -1;
  }
  return static_cast<int>(s);
}

bool WaitReadable(int fd, int timeout_ms) {
  WSAPOLLFD p{Handle(fd), POLLRDNORM, 0};
  return WSAPoll(&p, 1, timeout_ms) > 0;
}

int AcceptConnection(int listen_fd, std::string* peer) {
  sockaddr_in address{};
  int length = sizeof address;
  const SOCKET s = accept(Handle(listen_fd), reinterpret_cast<sockaddr*>(&address), &length);
  if (s == INVALID_SOCKET) return -1;
  // Sockets are not inherited by the programs a server might start.
  SetHandleInformation(reinterpret_cast<HANDLE>(s), HANDLE_FLAG_INHERIT, 0);
  char text[INET_ADDRSTRLEN] = "?";
  inet_ntop(AF_INET, &address.sin_addr, text, sizeof text);
  *peer = std::string(text) + ":" + std::to_string(ntohs(address.sin_port));
  return static_cast<int>(s);
}

int BoundPort(int fd) {
  sockaddr_in bound{};
  int length = sizeof bound;
  getsockname(Handle(fd), reinterpret_cast<sockaddr*>(&bound), &length);
  return ntohs(bound.sin_port);
}

void PrepareConnection(int fd, int timeout_ms) {
  const BOOL on = TRUE;
  setsockopt(Handle(fd), IPPROTO_TCP, TCP_NODELAY, reinterpret_cast<const char*>(&on), sizeof on);
  const DWORD send_timeout = static_cast<DWORD>(timeout_ms / 1000 * 1000);
  setsockopt(Handle(fd), SOL_SOCKET, SO_SNDTIMEO, reinterpret_cast<const char*>(&send_timeout), sizeof send_timeout);
}

bool SendAll(int fd, const void* data, std::size_t size) {
  const int n = send(Handle(fd), static_cast<const char*>(data), static_cast<int>(size), 0);
  if (n == SOCKET_ERROR) {
    errno = WSAGetLastError() == WSAETIMEDOUT ? ETIMEDOUT : EPIPE;
    return false;
  }
  if (static_cast<std::size_t>(n) < size) errno = ETIMEDOUT;
  return static_cast<std::size_t>(n) == size;
}

Received ReceiveNow(int fd, void* buffer, int size) {
  // Windows has no per-call non-blocking receive: look first, then receive
  // what is certainly there (data, the end, or an error).
  if (!WaitReadable(fd, 0)) return {Received::kNothingYet, 0, {}};
  const int n = recv(Handle(fd), static_cast<char*>(buffer), size, 0);
  if (n > 0) return {Received::kData, n, {}};
  if (n == 0) return {Received::kClosed, 0, {}};
  const int error = WSAGetLastError();
  if (error == WSAECONNRESET || error == WSAECONNABORTED || error == WSAESHUTDOWN) return {Received::kClosed, 0, {}};
  if (error == WSAEWOULDBLOCK || error == WSAEINTR) return {Received::kNothingYet, 0, {}};
  return {Received::kFailed, 0, SocketErrorText(error)};
}

void ShutdownSocket(int fd) { shutdown(Handle(fd), SD_BOTH); }

void CloseSocket(int fd) { closesocket(Handle(fd)); }

bool IsIpv4Address(const std::string& host) {
  in_addr ignored{};
  return inet_pton(AF_INET, host.c_str(), &ignored) == 1;
}

}  // namespace quorsma::tool::modbus
