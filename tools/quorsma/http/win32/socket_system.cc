#include "../socket_system.h"

namespace quorsma::tool::http {

void StartSockets() {
  WSADATA data;
  WSAStartup(MAKEWORD(2, 2), &data);
}

int OpenStreamSocket(int family, int type, int protocol) {
  const SOCKET s = WSASocketW(family, type, protocol, nullptr, 0, WSA_FLAG_OVERLAPPED | WSA_FLAG_NO_HANDLE_INHERIT);
  if (s == INVALID_SOCKET) return -1;
  u_long non_blocking = 1;
  ioctlsocket(s, FIONBIO, &non_blocking);
  return static_cast<int>(s);
}

void ShutdownSocket(int socket) { shutdown(static_cast<SOCKET>(socket), SD_BOTH); }

// Windows binds again while connections linger without asking; its
// SO_REUSEADDR would let another socket share the port, so the port is
// claimed exclusively instead.
void AllowQuickRebind(int socket) {
  const BOOL yes = TRUE;
  setsockopt(static_cast<SOCKET>(socket), SOL_SOCKET, SO_EXCLUSIVEADDRUSE, reinterpret_cast<const char*>(&yes),
             sizeof yes);
}

void CloseSocket(int socket) { closesocket(static_cast<SOCKET>(socket)); }

}  // namespace quorsma::tool::http
