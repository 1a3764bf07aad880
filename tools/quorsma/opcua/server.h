// The OPC UA server of quorsma opcua: the address space over the devices,
// reads straight from the image, writes through the checked write, users,
// security policies, limits, and the loop that runs it until told to stop.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "certificate.h"
#include "device_nodes.h"
#include "listen_url.h"
#include "users_file.h"

namespace quorsma::tool::opcua {

struct ServerOptions {
  ListenUrl listen;
  bool allow_insecure = false;  // SecurityPolicy None on an address that is not loopback
  uint16_t max_sessions = 32;
  uint32_t max_monitored_items = 20000;  // in all sessions together
  uint32_t max_subscriptions = 64;
  uint32_t max_message_bytes = 4 * 1024 * 1024;
  uint32_t max_nodes_per_request = 10000;
  uint32_t session_timeout_ms = 60000;  // longest a client may ask for
  double min_sampling_ms = 10;
  std::string section;
  bool verbose = false;
  std::function<bool()> stop_requested;
  // Called once the port is open, with "opc.tcp://HOST:PORT".
  std::function<void(const std::string&)> on_listening;
};

inline constexpr uint16_t kMaxSecureChannelsOverSessions = 8;

// Serves until stop_requested() or a failure; the process's exit code.
int RunServer(const ServerOptions& options, MH_SHARED_STRUCTURE* image, const std::vector<DeviceNode>& nodes,
              const std::vector<User>& users, const qsc_permission* allow_write, const CertificatePair& certificate);

}  // namespace quorsma::tool::opcua
