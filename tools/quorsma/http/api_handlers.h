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
  ApiHandlers(MH_SHARED_STRUCTURE* image, const ServerConfig& config) : image_(image), config_(config) {}

  Answer Page() const;
  Answer Info() const;
  Answer Devices(std::string_view operands) const;
  Answer Comments(std::string_view operands) const;
  // The operands of an event stream, or the refusal.
  std::optional<Answer> WatchList(std::string_view operands, std::vector<Operand>* out) const;

  // Whether a write with this Authorization header may go on (its body not
  // yet read): nothing, or the refusal.
  std::optional<Answer> Authorize(std::string_view authorization) const;
  // A checked write of the body; one write at a time.
  Answer WriteDevices(const std::string& body);
  Answer WriteComments(const std::string& body);

 private:
  MH_SHARED_STRUCTURE* image_;
  const ServerConfig& config_;
  std::mutex write_mutex_;
};

}  // namespace quorsma::tool::http
