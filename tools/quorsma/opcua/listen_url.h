// The address quorsma opcua listens on: "opc.tcp://HOST:PORT".
#pragma once

#include <cstdint>
#include <string>

namespace quorsma::tool::opcua {

struct ListenUrl {
  std::string host;  // an IPv4 address, or "localhost"
  uint16_t port = 0;
  bool loopback = false;  // 127.0.0.0/8 or localhost
};

// False for anything but opc.tcp:// with an IPv4 address (or localhost) and a
// port from 1 to 65535.
bool ParseListenUrl(const std::string& text, ListenUrl* out);

}  // namespace quorsma::tool::opcua
