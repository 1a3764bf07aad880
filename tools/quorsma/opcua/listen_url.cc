#include "listen_url.h"

#include <arpa/inet.h>

namespace quorsma::tool::opcua {

bool ParseListenUrl(const std::string& text, ListenUrl* out) {
  const std::string scheme = "opc.tcp://";
  if (text.compare(0, scheme.size(), scheme) != 0) return false;
  std::string rest = text.substr(scheme.size());
  if (!rest.empty() && rest.back() == '/') rest.pop_back();
  const std::size_t colon = rest.rfind(':');
  if (colon == std::string::npos) return false;
  const std::string host = rest.substr(0, colon);
  const std::string port = rest.substr(colon + 1);
  if (port.empty() || port.size() > 5 || port.find_first_not_of("0123456789") != std::string::npos) return false;
  const int number = std::stoi(port);
  if (number < 1 || number > 65535) return false;
  in_addr address{};
  if (host == "localhost") {
    out->loopback = true;
  } else if (inet_pton(AF_INET, host.c_str(), &address) == 1) {
    out->loopback = (ntohl(address.s_addr) >> 24) == 127;
  } else {
    return false;
  }
  out->host = host;
  out->port = static_cast<uint16_t>(number);
  return true;
}

}  // namespace quorsma::tool::opcua
