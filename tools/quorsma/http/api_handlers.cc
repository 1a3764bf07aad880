#include "api_handlers.h"

#include <chrono>

#include <nlohmann/json.hpp>

#include "quorsma/client.h"
#include "device_requests.h"
#include "server_limits.h"
#include "token.h"

namespace quorsma::tool::http {

using namespace quorsma::client;

namespace {

// "2 earlier items", for the answer to a batch that failed part way.
std::string EarlierItems(std::size_t n) { return std::to_string(n) + (n == 1 ? " earlier item" : " earlier items"); }

}  // namespace

extern const std::string_view kServePage;

namespace {

using nlohmann::json;

// Texts from a request may hold any bytes; JSON output replaces what is not
// UTF-8 rather than failing.
std::string Dump(const json& value) { return value.dump(-1, ' ', false, json::error_handler_t::replace); }

Answer Reply(const json& body) { return Answer{200, Dump(body)}; }

std::string JoinArray(const std::vector<std::string>& objects) {
  std::string out = "[";
  for (const std::string& object : objects) {
    if (out.size() > 1) out += ',';
    out += object;
  }
  return out + ']';
}

// The body of a write as JSON, or the refusal.
std::optional<Answer> ParseBody(const std::string& text, json* body) {
  // The JSON reader takes a NUL byte for the end of its input, so that what
  // follows would be ignored.
  if (text.find('\0') != std::string::npos) return Refuse(400, "the body holds a NUL byte; it is not JSON text");
  *body = json::parse(text, nullptr, false);
  if (body->is_discarded()) return Refuse(400, "the body is not JSON (UTF-8)");
  return std::nullopt;
}

}  // namespace

Answer Refuse(int status, const std::string& reason) { return Answer{status, Dump({{"error", reason}})}; }

std::string StatusReason(int status) {
  switch (status) {
    case 400: return "bad request";
    case 403: return "forbidden";
    case 404: return "no such resource";
    case 405: return "method not allowed";
    case 413: return "the request body is larger than " + std::to_string(kMaxBodyBytes) + " bytes";
    case 414: return "the request target is longer than " + std::to_string(kMaxTargetBytes) + " bytes";
    case 503: return "the server is busy";
    default: return "the request failed";
  }
}

Answer ApiHandlers::Page() const {
  Answer answer{200, std::string(kServePage), "text/html; charset=utf-8"};
  answer.page = true;
  return answer;
}

Answer ApiHandlers::Info() const {
  return Reply({{"section", config_.section},
                {"configuration", config_.configuration},
                {"version", QUORSMA_VERSION_TEXT},
                {"log", {{"enable", image_->LogEnable != 0}, {"pending", image_->LogLinePending != 0},
                         {"collecting", config_.collect}}},
                {"interval_ms", config_.interval.count()},
                {"writes", {{"allowed", config_.writes_allowed}, {"devices", config_.allowed_text},
                            {"confirm_bits", config_.confirm_bits}}},
                {"history", {{"samples", kHistorySamples}, {"devices", kHistoryDevices}}},
                {"limits", {{"target_bytes", kMaxTargetBytes}, {"body_bytes", kMaxBodyBytes},
                            {"devices_per_request", kMaxRequestDevices}, {"event_streams", kMaxEventStreams}}}});
}

std::optional<Answer> ApiHandlers::WatchList(std::string_view operands, std::vector<Operand>* out) const {
  if (auto refusal = ParseWatchList(operands, out)) return Refuse(refusal->status, refusal->reason);
  return std::nullopt;
}

Answer ApiHandlers::Devices(std::string_view operands) const {
  std::vector<Operand> list;
  if (auto refusal = WatchList(operands, &list)) return *refusal;
  std::vector<std::string> objects;
  objects.reserve(list.size());
  for (const Operand& op : list)
    objects.push_back(ToJson(ReadDeviceValue(image_, op, ReadPath::kImage), ValueFormat::kDec));
  return Answer{200, JoinArray(objects)};
}

Answer ApiHandlers::Comments(std::string_view operands) const {
  std::vector<Operand> list;
  if (auto refusal = WatchList(operands, &list)) return *refusal;
  json out = json::array();
  for (const Operand& op : list) {
    const DeviceRange cell = CellsOf(op);
    out.push_back({{"operand", OperandText(op)},
                   {"comment", Cp949ToUtf8(CommentOf(image_, cell.device, cell.first))}});
  }
  return Reply(out);
}

std::optional<Answer> ApiHandlers::Authorize(std::string_view authorization) const {
  if (!config_.writes_allowed)
    return Refuse(403, "writes are off on this server (quorsma serve --allow-write RANGES allows them)");
  if (!TokensEqual(config_.token, BearerToken(authorization)))
    return Refuse(403, authorization.empty() ? "writes need the header Authorization: Bearer TOKEN"
                                             : "the token does not match");
  return std::nullopt;
}

// Every item is checked before the first is written.
Answer ApiHandlers::WriteDevices(const std::string& text, const std::string& who) {
  json body;
  if (auto refusal = ParseBody(text, &body)) return *refusal;
  std::lock_guard<std::mutex> lock(write_mutex_);
  std::vector<qsc_write_target> plan;
  if (auto refusal = PlanDeviceWrites(body, config_.allowed, image_, &plan))
    return Refuse(refusal->status, refusal->reason);
  std::vector<std::string> objects;
  objects.reserve(plan.size());
  for (const qsc_write_target& write : plan) {
    const int64_t messages = LibraryMessageCount();
    const DeviceValue before = ReadDeviceValue(image_, write.operand, ReadPath::kImage);
    ApplyWrite(write);
    if (LibraryMessageCount() != messages)
      return Refuse(500, "the library refused the write of " + std::string(write.operand) + " (" +
                             EarlierItems(objects.size()) + " written)");
    const DeviceValue after = ReadDeviceValue(image_, write.operand, ReadPath::kImage);
    if (feed_ != nullptr) {
      const int64_t now_us = std::chrono::duration_cast<std::chrono::microseconds>(
                                 std::chrono::system_clock::now().time_since_epoch())
                                 .count();
      char time[64];
      qsc_local_time_text(now_us, time, sizeof time);
      feed_->Add(time,
                 after.operand + " = " + std::to_string(after.value) + " (was " + std::to_string(before.value) + ")",
                 who.empty() ? "the page" : who);
    }
    objects.push_back(ToJson(after, ValueFormat::kDec));
  }
  return Answer{200, JoinArray(objects)};
}

Answer ApiHandlers::WriteComments(const std::string& text) {
  json body;
  if (auto refusal = ParseBody(text, &body)) return *refusal;
  std::lock_guard<std::mutex> lock(write_mutex_);
  std::vector<CommentWrite> plan;
  if (auto refusal = PlanCommentWrites(body, config_.allowed, &plan)) return Refuse(refusal->status, refusal->reason);
  json list = json::array();
  for (const CommentWrite& write : plan) {
    if (!smModifyMemoryComment(write.kind.c_str(), write.number, write.cp949.c_str()))
      return Refuse(500, CommentWriteFailure(image_) + " (the comment of " + write.operand + " stays in memory only; " +
                             EarlierItems(list.size()) + " set)");
    list.push_back({{"operand", write.operand}, {"comment", Cp949ToUtf8(CommentOf(image_, write.kind, write.number))}});
  }
  return Reply(list);
}

}  // namespace quorsma::tool::http
