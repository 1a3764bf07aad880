// Runs `quorsma serve` as a real process on a free loopback port, with a
// section of its own, and talks to it over HTTP.
#pragma once

#include <gtest/gtest.h>
#include <httplib.h>
#include <signal.h>

#include <cstdio>
#include <cstdlib>
#include <map>
#include <memory>
#include <string>
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

}  // namespace quorsma::tool::http::testing
