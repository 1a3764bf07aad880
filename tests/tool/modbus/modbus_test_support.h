// Helpers of the Modbus server tests: the server as a child process on a free
// port of 127.0.0.1, libmodbus clients and raw sockets to it.
#pragma once

#include <arpa/inet.h>
#include <gtest/gtest.h>
#include <modbus/modbus.h>
#include <netinet/in.h>
#include <poll.h>
#include <signal.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <fstream>
#include <memory>
#include <string>
#include <vector>

#include "child_process.h"
#include "quorsma/quorsma.h"

namespace quorsma::tool::modbus::testing {

// A running `quorsma modbus` on a port the system chose.
class Server {
 public:
  explicit Server(std::vector<std::string> args) {
    args.insert(args.begin(), {"modbus", "--listen", "127.0.0.1:0"});
    child_ = std::make_unique<quorsma::testing::ChildProcess>(QSMA_MODBUS_TOOL, args,
                                                              std::map<std::string, std::string>{});
    const std::string line = child_->ReadLine();
    const std::string prefix = "listening on 127.0.0.1:";
    if (line.rfind(prefix, 0) == 0) port_ = std::stoi(line.substr(prefix.size()));
  }
  ~Server() {
    if (child_) Stop();
  }
  int port() const { return port_; }
  // Stops it with `signal_number`; its output after the first line.
  quorsma::testing::ChildResult Stop(int signal_number = SIGTERM) {
    child_->Kill(signal_number);
    quorsma::testing::ChildResult result = child_->Wait();
    child_.reset();
    return result;
  }

 private:
  std::unique_ptr<quorsma::testing::ChildProcess> child_;
  int port_ = 0;
};

// A connected libmodbus client; freed at the end.
struct Client {
  explicit Client(int port) : context(modbus_new_tcp("127.0.0.1", port)) {
    modbus_set_response_timeout(context, 3, 0);
    connected = modbus_connect(context) == 0;
  }
  ~Client() {
    modbus_close(context);
    modbus_free(context);
  }
  operator modbus_t*() const { return context; }
  modbus_t* context;
  bool connected = false;
};

// Reading 125 holding registers works.
inline bool Serves(int port) {
  Client client(port);
  uint16_t registers[125];
  return client.connected && modbus_read_registers(client, 0, 125, registers) == 125;
}

// The exception code a failed libmodbus call reported, 0 if none.
inline int ExceptionOf(int rc) { return rc >= 0 ? 0 : errno > MODBUS_ENOBASE ? errno - MODBUS_ENOBASE : -errno; }

// A plain TCP connection to the server.
class RawSocket {
 public:
  explicit RawSocket(int port) : fd_(socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0)) {
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_port = htons(static_cast<uint16_t>(port));
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    connected_ = connect(fd_, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0;
  }
  ~RawSocket() { Close(); }
  bool connected() const { return connected_; }
  void Send(const std::vector<uint8_t>& bytes) { (void)!send(fd_, bytes.data(), bytes.size(), MSG_NOSIGNAL); }
  // Sends what fits without waiting (for up to 100 ms); false once the
  // connection is closed.
  bool SendSome(const std::vector<uint8_t>& bytes) {
    pollfd p{fd_, POLLOUT, 0};
    if (poll(&p, 1, 100) > 0 && (p.revents & (POLLERR | POLLHUP)) != 0) return false;
    if (p.revents & POLLOUT) return send(fd_, bytes.data(), bytes.size(), MSG_NOSIGNAL | MSG_DONTWAIT) >= 0 || errno == EAGAIN;
    return true;
  }
  // What arrives within `timeout_ms`; `closed` tells whether the server closed
  // the connection.
  std::vector<uint8_t> Receive(int timeout_ms, bool* closed) {
    std::vector<uint8_t> bytes;
    *closed = false;
    pollfd p{fd_, POLLIN, 0};
    while (poll(&p, 1, timeout_ms) > 0) {
      uint8_t chunk[512];
      const ssize_t n = recv(fd_, chunk, sizeof chunk, 0);
      if (n <= 0) {
        *closed = true;
        break;
      }
      bytes.insert(bytes.end(), chunk, chunk + n);
      timeout_ms = 100;  // the rest of an answer follows at once
    }
    return bytes;
  }
  void Close() {
    if (fd_ >= 0) close(fd_);
    fd_ = -1;
  }

 private:
  int fd_;
  bool connected_ = false;
};

// A frame: header with `protocol` and the length of unit id and `pdu`.
inline std::vector<uint8_t> Frame(const std::vector<uint8_t>& pdu, int protocol = 0, int unit = 1) {
  const std::size_t length = pdu.size() + 1;
  std::vector<uint8_t> frame(6 + length);
  frame[0] = 0x12;
  frame[1] = 0x34;
  frame[2] = static_cast<uint8_t>(protocol >> 8);
  frame[3] = static_cast<uint8_t>(protocol);
  frame[4] = static_cast<uint8_t>(length >> 8);
  frame[5] = static_cast<uint8_t>(length);
  frame[6] = static_cast<uint8_t>(unit);
  for (std::size_t i = 0; i < pdu.size(); ++i) frame[7 + i] = pdu[i];
  return frame;
}

inline MH_SHARED_STRUCTURE* Image() {
  MH_SHARED_STRUCTURE* image = nullptr;
  smGetMemoryPointer(&image);
  return image;
}

}  // namespace quorsma::tool::modbus::testing
