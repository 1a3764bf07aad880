// The system's socket headers and the few socket calls that differ between
// the systems (posix/ and win32/ hold them).  Sockets are ints here, as the
// HTTP library's sockets fit one on both systems.
#pragma once

#if defined(_WIN32)
#include <winsock2.h>
#include <ws2tcpip.h>
#else
#include <arpa/inet.h>
#include <netdb.h>
#include <netinet/in.h>
#include <sys/socket.h>
#endif

namespace quorsma::tool::http {

// Starts the system's sockets (Windows); nothing elsewhere.
void StartSockets();

// A new socket that blocks no call and is not inherited, or -1.
int OpenStreamSocket(int family, int type, int protocol);

// Ends both directions of `socket` (the library then sees it closed).
void ShutdownSocket(int socket);

// A quick restart may bind while connections of the previous server linger;
// sharing the port with another socket is never allowed.
void AllowQuickRebind(int socket);

void CloseSocket(int socket);

}  // namespace quorsma::tool::http
