#include "event_stream.h"

#include <nlohmann/json.hpp>

namespace quorsma::tool::http {
namespace {

bool Same(const DeviceValue& a, const DeviceValue& b) {
  return a.ok == b.ok && a.value == b.value && a.timer_current == b.timer_current && a.timer_set == b.timer_set &&
         a.timer_coil == b.timer_coil && a.comment == b.comment;
}

}  // namespace

std::string Event(const char* name, const std::string& data) {
  std::string out;
  out.reserve(data.size() + 32);
  out += "event: ";
  out += name;
  out += "\ndata: ";
  out += data;
  out += "\n\n";
  return out;
}

EventStream::EventStream(MH_SHARED_STRUCTURE* image, std::vector<Operand> operands, const LogFeed* feed)
    : image_(image), operands_(std::move(operands)), feed_(feed) {}

std::string EventStream::Start(std::size_t backlog) {
  last_.clear();
  last_.reserve(operands_.size());
  std::string data = "[";
  for (const Operand& op : operands_) {
    last_.push_back(ReadDeviceValue(image_, op, ReadPath::kImage));
    if (data.size() > 1) data += ',';
    data += ToJson(last_.back(), ValueFormat::kDec);
  }
  data += ']';
  std::string out = Event("values", data);
  if (feed_ != nullptr) {
    const uint64_t last = feed_->Last();
    log_sequence_ = last > backlog ? last - backlog : 0;
    uint64_t skipped = 0;
    std::vector<LogEntry> entries = feed_->Since(log_sequence_, &skipped);
    out += LogEvents(std::move(entries), 0);
  }
  return out;
}

std::string EventStream::Next() {
  std::string data;
  for (std::size_t i = 0; i < operands_.size(); ++i) {
    DeviceValue now = ReadDeviceValue(image_, operands_[i], ReadPath::kImage);
    if (Same(now, last_[i])) continue;
    data += data.empty() ? '[' : ',';
    data += ToJson(now, ValueFormat::kDec);
    last_[i] = std::move(now);
  }
  std::string out;
  if (!data.empty()) out = Event("change", data + ']');
  if (feed_ != nullptr) {
    uint64_t skipped = 0;
    std::vector<LogEntry> entries = feed_->Since(log_sequence_, &skipped);
    out += LogEvents(std::move(entries), skipped);
  }
  return out;
}

std::string EventStream::LogEvents(std::vector<LogEntry> entries, uint64_t skipped) {
  std::string out;
  for (LogEntry& entry : entries) {
    nlohmann::json line = {{"sequence", entry.sequence}, {"time", std::move(entry.time)},
                           {"line", std::move(entry.line)}, {"skipped", skipped}};
    if (!entry.who.empty()) line["who"] = std::move(entry.who);
    out += Event("log", line.dump(-1, ' ', false, nlohmann::json::error_handler_t::replace));
    log_sequence_ = entry.sequence;
    skipped = 0;
  }
  return out;
}

}  // namespace quorsma::tool::http
