// The Modbus TCP server: one thread accepts connections, one thread per
// connection receives its requests (framed by their header, within the idle
// and request timeouts) and answers them through libmodbus, so a slow or
// silent client holds only its own connection, and that only for a bounded
// time.
#pragma once

#include <functional>

#include <cstdint>
#include <string>

#include "address_map.h"
#include "request_handler.h"

namespace quorsma::tool::modbus {

// The defaults here are the documented ones (the command line takes them
// from here).
struct ServerOptions {
  std::string host = "127.0.0.1";  // IPv4 address to listen on
  int port = 1502;                 // 0: a free port of the system's choice
  int unit_id = -1;                // -1: answer every unit id
  // Connections served at once.  When every place is taken, a new
  // connection takes the place of the one idle the longest, if that one has
  // been idle for the request timeout; otherwise it is closed at once.
  int max_clients = 32;
  // A connection whose next request does not begin within this time (from
  // connecting or from its previous answer) is closed.
  int idle_timeout_seconds = 60;
  // A request must arrive whole within this time from its first byte, and
  // its answer must be taken by the client within it; else the connection is
  // closed.  The idle timeout bounds both too when it is shorter.
  int request_timeout_seconds = 5;
  bool verbose = false;
  // Asked between accepts and reads; the server stops once it says true
  // (the command wires it to SIGINT and SIGTERM).
  std::function<bool()> stop_requested = [] { return false; };
};

// Serves until options.stop_requested says so.  Prints "listening on HOST:PORT" once the
// socket listens, one line per client connecting and leaving, and with
// `verbose` one line per request.  Returns the process's exit code.
int RunServer(const ServerOptions& options, MH_SHARED_STRUCTURE* image, const AddressMap& map,
              const WritePermission& allow_write);

}  // namespace quorsma::tool::modbus
