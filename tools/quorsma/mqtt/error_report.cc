#include "error_report.h"

#include <chrono>
#include <nlohmann/json.hpp>

#include "change_message.h"

namespace quorsma::tool::mqtt {

std::string Quote(const std::string& text, std::size_t size) {
  if (size == std::string::npos) size = text.size();
  std::string out = "'";
  out.append(text, 0, kQuoteLimit);
  out += '\'';
  if (size > kQuoteLimit || text.size() != size) out += "... (" + std::to_string(size) + " bytes)";
  return out;
}

std::string Cut(const std::string& text) {
  if (text.size() <= kQuoteLimit) return text;
  std::string out(text, 0, kQuoteLimit);
  out += "...";
  return out;
}

std::string ErrorJson(const std::string& error, const std::string& topic) {
  nlohmann::ordered_json message;
  message["time"] = IsoLocalTime(std::chrono::system_clock::now());
  if (!topic.empty()) message["topic"] = topic;
  message["error"] = error;
  // A cut may end inside a UTF-8 character: such bytes become U+FFFD.
  return message.dump(-1, ' ', false, nlohmann::json::error_handler_t::replace);
}

}  // namespace quorsma::tool::mqtt
