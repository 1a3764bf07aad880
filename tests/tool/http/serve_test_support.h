// Runs `quorsma serve` as a real process on a free loopback port, with a
// section of its own, and talks to it over HTTP.
#pragma once

#include <arpa/inet.h>
#include <gtest/gtest.h>
#include <httplib.h>
#include <netinet/in.h>
#include <signal.h>
#include <sys/socket.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <map>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "child_process.h"

namespace quorsma::tool::http::testing {

using quorsma::testing::ChildProcess;
using quorsma::testing::ChildResult;

class ServeProcess {
 public:
  // Starts the server with `args` (after "serve --listen 127.0.0.1:0") on
  // `section`, and waits for the line that names its address.
  ServeProcess(const std::string& section, const std::vector<std::string>& args) : section_(section) {
    std::vector<std::string> all = {"serve", "--listen", "127.0.0.1:0"};
    all.insert(all.end(), args.begin(), args.end());
    process_ = std::make_unique<ChildProcess>(QSMA_TEST_TOOL, all, Env());
    for (std::string line = process_->ReadLine(); !line.empty(); line = process_->ReadLine()) {
      output_ += line;
      const std::size_t at = line.find(" at http://127.0.0.1:");
      if (at != std::string::npos) port_ = std::stoi(line.substr(at + 21));
      const std::size_t token = line.find("need the token ");
      if (token != std::string::npos) token_ = line.substr(token + 15, line.size() - token - 16);
      if (line.find("Ctrl-C ends") != std::string::npos) break;
    }
  }
  ~ServeProcess() {
    if (!stopped_) Stop(SIGTERM);
    // The collector lock file outlives its holder by design; the test's own
    // section name is used once, so its file goes.
    const char* dir = std::getenv("QUORSMA_LOCK_DIR");
    std::remove(((dir != nullptr && *dir != '\0' ? std::string(dir) : "/dev/shm") + "/quorsma." + section_ +
                 ".collector.lock").c_str());
  }

  bool running() const { return port_ > 0; }
  int port() const { return port_; }
  const std::string& token() const { return token_; }
  const std::string& output() const { return output_; }
  pid_t pid() const { return process_->pid(); }

  // A client with bounded waits.
  std::unique_ptr<httplib::Client> Client(int read_seconds = 5) const {
    auto client = std::make_unique<httplib::Client>("127.0.0.1", port_);
    client->set_connection_timeout(2);
    client->set_read_timeout(read_seconds);
    client->set_write_timeout(5);
    return client;
  }
  httplib::Headers Bearer(const std::string& token) const { return {{"Authorization", "Bearer " + token}}; }

  // Runs the tool on the server's section (quorsma set, get, comment ...).
  ChildResult Tool(const std::vector<std::string>& args) const {
    return quorsma::testing::RunChild(QSMA_TEST_TOOL, args, Env());
  }
  ChildResult Child(const std::vector<std::string>& args) const {
    return quorsma::testing::RunChild(QSMA_TEST_CHILD, args, Env());
  }

  ChildResult Stop(int signal) {
    stopped_ = true;
    process_->Kill(signal);
    return process_->Wait();
  }

  std::map<std::string, std::string> Env() const { return {{"QUORSMA_SECTION", section_}, {"LANG", "C.UTF-8"}}; }

 private:
  std::string section_;
  std::unique_ptr<ChildProcess> process_;
  std::string output_, token_;
  int port_ = 0;
  bool stopped_ = false;
};

// A socket to the server on 127.0.0.1:port that a test drives by hand; its
// sends and receives give up after `timeout`.
inline int OpenSocket(int port, std::chrono::milliseconds timeout = std::chrono::seconds(5)) {
  const int fd = socket(AF_INET, SOCK_STREAM, 0);
  timeval limit{static_cast<time_t>(timeout.count() / 1000), static_cast<suseconds_t>(timeout.count() % 1000 * 1000)};
  setsockopt(fd, SOL_SOCKET, SO_RCVTIMEO, &limit, sizeof limit);
  setsockopt(fd, SOL_SOCKET, SO_SNDTIMEO, &limit, sizeof limit);
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_port = htons(static_cast<uint16_t>(port));
  address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  if (connect(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0) {
    close(fd);
    return -1;
  }
  return fd;
}

// Sends all of `data`; false when the server closed the connection (or the
// send timed out).
inline bool SendAll(int fd, const std::string& data) {
  for (std::size_t at = 0; at < data.size();) {
    const ssize_t n = send(fd, data.data() + at, data.size() - at, MSG_NOSIGNAL);
    if (n <= 0) return false;
    at += static_cast<std::size_t>(n);
  }
  return true;
}

struct RawAnswer {
  int status = 0;    // 0: none came
  std::string body;
};

// Reads one answer: up to the end of its body by Content-Length, or until
// the server closes the connection or the socket's timeout passes.
inline RawAnswer ReadAnswer(int fd) {
  std::string data;
  char buffer[65536];
  for (;;) {
    const std::size_t end = data.find("\r\n\r\n");
    if (end != std::string::npos) {
      const std::size_t length = data.find("Content-Length: ");
      if (length != std::string::npos && length < end &&
          data.size() >= end + 4 + std::stoul(data.substr(length + 16)))
        break;
    }
    const ssize_t n = recv(fd, buffer, sizeof buffer, 0);
    if (n <= 0) break;
    data.append(buffer, static_cast<std::size_t>(n));
  }
  RawAnswer answer;
  if (data.rfind("HTTP/1.", 0) == 0 && data.size() > 12) answer.status = std::atoi(data.c_str() + 9);
  const std::size_t end = data.find("\r\n\r\n");
  if (end != std::string::npos) answer.body = data.substr(end + 4);
  return answer;
}

// One request on a connection of its own and its answer.
inline RawAnswer Exchange(int port, const std::string& request) {
  const int fd = OpenSocket(port);
  SendAll(fd, request);
  RawAnswer answer = ReadAnswer(fd);
  close(fd);
  return answer;
}

// The resident memory of a process in KiB (0 when it cannot be read).
inline long RssKib(pid_t pid) {
  std::ifstream in("/proc/" + std::to_string(pid) + "/status");
  for (std::string line; std::getline(in, line);)
    if (line.rfind("VmRSS:", 0) == 0) return std::atol(line.c_str() + 6);
  return 0;
}

// Whether a child of this process has ended (not yet reaped) within `limit`.
inline bool EndsWithin(pid_t pid, std::chrono::milliseconds limit) {
  const auto deadline = std::chrono::steady_clock::now() + limit;
  for (;;) {
    std::ifstream in("/proc/" + std::to_string(pid) + "/stat");
    std::string stat((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    const std::size_t paren = stat.rfind(')');
    if (paren == std::string::npos || stat.compare(paren + 2, 1, "Z") == 0) return true;
    if (std::chrono::steady_clock::now() > deadline) return false;
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  }
}

}  // namespace quorsma::tool::http::testing
