// Helpers of the quorsma io tests: stations made with libmodbus in the test
// process (TCP on a free port of 127.0.0.1, or RTU on a serial device), the
// program as a child process, and waiting for the image to show a value.
#pragma once

#include <gtest/gtest.h>
#include <modbus/modbus.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <functional>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "child_process.h"
#include "quorsma/quorsma.h"

namespace quorsma::tool::io::testing {

// A Modbus station served by libmodbus on its own thread: 100 of each table.
class TestStation {
 public:
  // TCP on 127.0.0.1:`port` (0: a free port).
  explicit TestStation(int port) : mapping_(modbus_mapping_new(100, 100, 100, 100)) {
    context_ = modbus_new_tcp("127.0.0.1", port);
    listen_fd_ = modbus_tcp_listen(context_, 4);
    sockaddr_in bound{};
    socklen_t length = sizeof bound;
    getsockname(listen_fd_, reinterpret_cast<sockaddr*>(&bound), &length);
    port_ = ntohs(bound.sin_port);
    thread_ = std::thread([this] { ServeTcp(); });
  }
  // RTU on the serial device `path`, answering `unit`.
  TestStation(const std::string& path, int unit) : mapping_(modbus_mapping_new(100, 100, 100, 100)) {
    context_ = modbus_new_rtu(path.c_str(), 19200, 'N', 8, 1);
    modbus_set_slave(context_, unit);
    if (modbus_connect(context_) == 0) thread_ = std::thread([this] { ServeRtu(); });
  }
  ~TestStation() { Stop(); }
  void Stop() {
    stop_ = true;
    if (thread_.joinable()) thread_.join();
    if (listen_fd_ >= 0) close(listen_fd_);
    listen_fd_ = -1;
    if (context_ != nullptr) {
      modbus_close(context_);
      modbus_free(context_);
      context_ = nullptr;
    }
    if (mapping_ != nullptr) modbus_mapping_free(mapping_);
    mapping_ = nullptr;
  }
  int port() const { return port_; }
  bool serving() const { return thread_.joinable(); }
  // Reads or changes the tables while the station serves.
  void With(const std::function<void(modbus_mapping_t*)>& use) {
    std::lock_guard<std::mutex> hold(lock_);
    use(mapping_);
  }

 private:
  void Answer() {
    uint8_t request[MODBUS_TCP_MAX_ADU_LENGTH];
    const int length = modbus_receive(context_, request);
    if (length > 0) {
      std::lock_guard<std::mutex> hold(lock_);
      modbus_reply(context_, request, length, mapping_);
    }
    if (length < 0 && modbus_get_socket(context_) >= 0 && listen_fd_ >= 0) {
      close(modbus_get_socket(context_));
      clients_.erase(std::remove(clients_.begin(), clients_.end(), modbus_get_socket(context_)), clients_.end());
    }
  }
  void ServeTcp() {
    while (!stop_) {
      std::vector<pollfd> fds{{listen_fd_, POLLIN, 0}};
      for (int fd : clients_) fds.push_back({fd, POLLIN, 0});
      if (poll(fds.data(), fds.size(), 50) <= 0) continue;
      if (fds[0].revents & POLLIN) {
        const int fd = accept(listen_fd_, nullptr, nullptr);
        if (fd >= 0) clients_.push_back(fd);
      }
      for (std::size_t i = 1; i < fds.size(); ++i) {
        if (fds[i].revents == 0) continue;
        modbus_set_socket(context_, fds[i].fd);
        Answer();
      }
    }
    for (int fd : clients_) close(fd);
    modbus_set_socket(context_, -1);
  }
  void ServeRtu() {
    while (!stop_) {
      pollfd p{modbus_get_socket(context_), POLLIN, 0};
      if (poll(&p, 1, 50) > 0) Answer();
    }
  }

  modbus_t* context_ = nullptr;
  modbus_mapping_t* mapping_;
  int listen_fd_ = -1;
  int port_ = 0;
  std::vector<int> clients_;
  std::atomic<bool> stop_{false};
  std::mutex lock_;
  std::thread thread_;
};

// The image of this process (the tests' own section, which the tool they
// start maps too).
inline MH_SHARED_STRUCTURE* Image() {
  MH_SHARED_STRUCTURE* image = nullptr;
  smGetMemoryPointer(&image);
  return image;
}

// Waits up to `ms` for `done`.
inline bool Eventually(const std::function<bool()>& done, int ms = 3000) {
  const auto until = std::chrono::steady_clock::now() + std::chrono::milliseconds(ms);
  while (!done()) {
    if (std::chrono::steady_clock::now() > until) return false;
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  }
  return true;
}

// A configuration file in `dir`.
inline std::string WriteConfig(const std::filesystem::path& dir, const std::string& name, const std::string& text) {
  const std::filesystem::path path = dir / name;
  std::ofstream(path) << text;
  return path.string();
}

inline quorsma::testing::ChildResult RunTool(const std::vector<std::string>& args,
                                             const std::map<std::string, std::string>& env = {}) {
  return quorsma::testing::RunChild(QSMA_IO_TOOL, args, env);
}

}  // namespace quorsma::tool::io::testing

namespace quorsma::tool::io::testing {

// A station that answers the first request on each connection with `reply`
// (given the request), sent in `pieces` with `pause_ms` between them, then
// keeps the connection open until it goes.
class ScriptedStation {
 public:
  ScriptedStation(std::function<std::vector<uint8_t>(const std::vector<uint8_t>&)> reply, int pieces, int pause_ms)
      : reply_(std::move(reply)), pieces_(pieces), pause_ms_(pause_ms) {
    listen_fd_ = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    bind(listen_fd_, reinterpret_cast<sockaddr*>(&address), sizeof address);
    listen(listen_fd_, 4);
    socklen_t length = sizeof address;
    getsockname(listen_fd_, reinterpret_cast<sockaddr*>(&address), &length);
    port_ = ntohs(address.sin_port);
    thread_ = std::thread([this] { Serve(); });
  }
  ~ScriptedStation() {
    stop_ = true;
    thread_.join();
    close(listen_fd_);
  }
  int port() const { return port_; }

 private:
  void Serve() {
    std::vector<int> open;
    while (!stop_) {
      pollfd p{listen_fd_, POLLIN, 0};
      if (poll(&p, 1, 50) <= 0) continue;
      const int fd = accept(listen_fd_, nullptr, nullptr);
      if (fd < 0) continue;
      open.push_back(fd);
      std::vector<uint8_t> request(260);
      pollfd r{fd, POLLIN, 0};
      if (poll(&r, 1, 1000) <= 0) continue;
      const ssize_t n = recv(fd, request.data(), request.size(), 0);
      if (n <= 0) continue;
      request.resize(static_cast<std::size_t>(n));
      const std::vector<uint8_t> answer = reply_(request);
      const std::size_t piece = std::max<std::size_t>(1, (answer.size() + pieces_ - 1) / pieces_);
      for (std::size_t at = 0; at < answer.size() && !stop_; at += piece) {
        if (at > 0) std::this_thread::sleep_for(std::chrono::milliseconds(pause_ms_));
        (void)!send(fd, answer.data() + at, std::min(piece, answer.size() - at), MSG_NOSIGNAL);
      }
    }
    for (int fd : open) close(fd);
  }

  std::function<std::vector<uint8_t>(const std::vector<uint8_t>&)> reply_;
  int pieces_, pause_ms_;
  int listen_fd_ = -1, port_ = 0;
  std::atomic<bool> stop_{false};
  std::thread thread_;
};

}  // namespace quorsma::tool::io::testing
