// What each request of `quorsma serve` is answered with (see the README for
// the table): the page, and the JSON API's reads and checked writes.  The
// HTTP side (api_server.h) hands over requests that passed its checks.
#pragma once

#include <chrono>
#include <mutex>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "quorsma/client.h"
#include "device_history.h"
#include "log_feed.h"
#include "quorsma/quorsma.h"

namespace quorsma::tool::http {

using namespace quorsma::client;

struct ServerConfig {
  std::string section;        // the section's name
  std::string configuration;  // the configuration file the library reads
  bool writes_allowed = false;
  Permission allowed;         // the devices that writes may reach
  std::string allowed_text;   // as given to --allow-write
  std::string token;          // writes need it; empty: no writes
  std::chrono::milliseconds interval{200};
  bool collect = false;
  bool check_host = true;     // answer only requests whose Host names a loopback address
  bool confirm_bits = true;   // the page asks before it writes a bit
};

inline constexpr char kJsonType[] = "application/json; charset=utf-8";

struct Answer {
  int status = 200;
  std::string body;
  const char* type = kJsonType;
  bool page = false;  // the page: with its content security policy
};

// {"error": reason} with `status`.
Answer Refuse(int status, const std::string& reason);
// The reason given for a status when nothing more precise is known.
std::string StatusReason(int status);

class ApiHandlers {
 public:
  // Page writes go to `feed` (may be null) for the change pane.
  ApiHandlers(MH_SHARED_STRUCTURE* image, const ServerConfig& config, LogFeed* feed = nullptr)
      : image_(image), config_(config), feed_(feed), history_(image) {}

  Answer Page() const;
  Answer Info() const;
  Answer Devices(std::string_view operands) const;
  Answer Comments(std::string_view operands) const;
  // The operands of an event stream, or the refusal.
  std::optional<Answer> WatchList(std::string_view operands, std::vector<Operand>* out) const;
  // The running program (its instructions, rungs, devices, comments and
  // timers' set values), and its last scan.
  Answer Program() const;
  Answer Scan() const;
  // Which of the devices a write from the page may reach.
  Answer Writable(std::string_view operands) const;
  // The kept samples of the devices after `after` (Unix ms; empty: all).
  Answer History(std::string_view operands, std::string_view after);
  void SampleHistory(int64_t unix_ms) { history_.Sample(unix_ms); }

  // Whether a write with this Authorization header may go on (its body not
  // yet read): nothing, or the refusal.
  std::optional<Answer> Authorize(std::string_view authorization) const;
  // A checked write of the body; one write at a time.
  // `who` (the client's address) is named in the change pane.
  Answer WriteDevices(const std::string& body, const std::string& who = {});
  Answer WriteComments(const std::string& body);

 private:
  MH_SHARED_STRUCTURE* image_;
  const ServerConfig& config_;
  LogFeed* feed_;
  DeviceHistory history_;
  std::mutex write_mutex_;
};

}  // namespace quorsma::tool::http
