#include <unistd.h>

#include "../socket_system.h"

namespace quorsma::tool::http {

void StartSockets() {}

int OpenStreamSocket(int family, int type, int protocol) {
  return socket(family, type | SOCK_NONBLOCK | SOCK_CLOEXEC, protocol);
}

void ShutdownSocket(int socket) { shutdown(socket, SHUT_RDWR); }

void AllowQuickRebind(int socket) {
  const int yes = 1;
  setsockopt(socket, SOL_SOCKET, SO_REUSEADDR, &yes, sizeof yes);  // never SO_REUSEPORT
}

void CloseSocket(int socket) { close(socket); }

}  // namespace quorsma::tool::http
