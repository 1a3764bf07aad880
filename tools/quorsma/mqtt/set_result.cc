#include "set_result.h"

#include <chrono>
#include <nlohmann/json.hpp>

#include "change_message.h"
#include "error_report.h"

namespace quorsma::tool::mqtt {

bool IsResultTopic(const std::string& topic) {
  const std::size_t n = sizeof kResultSuffix - 1;
  return topic.size() >= n && topic.compare(topic.size() - n, n, kResultSuffix) == 0;
}

std::string SetResultJson(const std::string& operand, const std::string& payload, std::size_t payload_size,
                          const std::string& refusal) {
  nlohmann::ordered_json message;
  message["time"] = IsoLocalTime(std::chrono::system_clock::now());
  message["operand"] = Cut(operand);
  message["value"] = payload.size() < payload_size ? Cut(payload) + "..." : Cut(payload);
  message["accepted"] = refusal.empty();
  if (!refusal.empty()) message["error"] = refusal;
  return message.dump(-1, ' ', false, nlohmann::json::error_handler_t::replace);
}

}  // namespace quorsma::tool::mqtt
