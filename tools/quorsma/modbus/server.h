// The Modbus TCP server: one thread accepts connections, one thread per
// connection receives its requests (libmodbus frames and answers them), so a
// slow or silent client holds only its own connection.
#pragma once

#include <cstdint>
#include <string>

#include "address_map.h"
#include "request_handler.h"

namespace quorsma::tool::modbus {

struct ServerOptions {
  std::string host = "127.0.0.1";  // IPv4 address to listen on
  int port = 1502;                 // 0: a free port of the system's choice
  int unit_id = -1;                // -1: answer every unit id
  int max_clients = 32;
  int idle_timeout_seconds = 60;
  bool verbose = false;
};

// Serves until SIGINT or SIGTERM.  Prints "listening on HOST:PORT" once the
// socket listens, one line per client connecting and leaving, and with
// `verbose` one line per request.  Returns the process's exit code.
int RunServer(const ServerOptions& options, MH_SHARED_STRUCTURE* image, const AddressMap& map,
              const WritePermission& allow_write);

}  // namespace quorsma::tool::modbus
