#include "sparkplug_node.h"

#include <nlohmann/json.hpp>
#include <thread>

#include "change_message.h"
#include "error_report.h"

namespace quorsma::tool::mqtt::sparkplug {
namespace {

using namespace std::chrono_literals;

constexpr char kNamespace[] = "spBv1.0";
constexpr char kRebirth[] = "Node Control/Rebirth";
constexpr uint64_t kRebirthAlias = 0;
constexpr auto kLongestSleep = 100ms;
constexpr auto kFlushTime = 2s;

uint64_t NowMs() {
  return static_cast<uint64_t>(std::chrono::duration_cast<std::chrono::milliseconds>(
                                   std::chrono::system_clock::now().time_since_epoch())
                                   .count());
}

std::string Plural(uint64_t n, const std::string& what) {
  return std::to_string(n) + " " + what + (n == 1 ? "" : "s");
}

}  // namespace

bool ValidTopicPart(const std::string& text) {
  return !text.empty() && text.find_first_of("/+#") == std::string::npos;
}

bool ParseNodeName(const std::string& text, std::string* group, std::string* node, std::string* error) {
  const std::size_t slash = text.find('/');
  if (slash != std::string::npos) {
    *group = text.substr(0, slash);
    *node = text.substr(slash + 1);
  }
  if (slash == std::string::npos || !ValidTopicPart(*group) || !ValidTopicPart(*node)) {
    *error = "'" + text + "': GROUP/NODE, two names without '/', '+' or '#'";
    return false;
  }
  return true;
}

Node::Node(MH_SHARED_STRUCTURE* image, NodeOptions options, const Permission& allowed, bool writes)
    : image_(image), options_(std::move(options)), allowed_(allowed), writes_allowed_(writes), collector_(image),
      waiter_(image), writes_(image, allowed_) {}

std::string Node::Topic(const std::string& type, const std::string& device) const {
  std::string topic = std::string(kNamespace) + "/" + options_.group + "/" + type + "/" + options_.node;
  if (!device.empty()) topic += "/" + device;
  return topic;
}

std::string Node::Death(uint64_t bd_seq) const {
  Payload death;
  death.timestamp = NowMs();
  Metric m;
  m.name = "bdSeq";
  m.datatype = kInt64;
  m.value = Metric::Value::kLong;
  m.number = bd_seq;
  death.metrics.push_back(m);
  return Encode(death);
}

void Node::Configure(BrokerOptions* options) {
  options->will_topic = Topic("NDEATH");
  options->will_retain = false;
  options->will_for_attempt = [this] {
    const uint64_t bd_seq = next_bd_seq_.fetch_add(1) % 256;
    attempt_bd_seq_ = bd_seq;
    return Death(bd_seq);
  };
  // Subscribed before the births go out: the library sends them first.
  options->more_subscriptions = {Topic("NCMD"), Topic("DCMD") + "/+"};
  if (!options_.primary_host.empty())
    options->more_subscriptions.push_back(std::string(kNamespace) + "/STATE/" + options_.primary_host);
  options->subscription.clear();
  options->kept_bytes = kMaxCommandBytes;
}

uint64_t Node::NextSeq() {
  const uint64_t seq = seq_;
  seq_ = (seq_ + 1) % 256;
  return seq;
}

void Node::Births() {
  const uint64_t now = NowMs();
  seq_ = 0;
  Payload nbirth;
  nbirth.timestamp = now;
  nbirth.seq = NextSeq();
  Metric bd;
  bd.name = "bdSeq";
  bd.datatype = kInt64;
  bd.value = Metric::Value::kLong;
  bd.number = bd_seq_;
  bd.timestamp = now;
  Metric rebirth;
  rebirth.name = kRebirth;
  rebirth.alias = kRebirthAlias;
  rebirth.datatype = kBoolean;
  rebirth.value = Metric::Value::kBool;
  rebirth.timestamp = now;
  nbirth.metrics = {bd, rebirth};
  if (!broker_.Publish(Topic("NBIRTH"), Encode(nbirth), 0, false)) return;
  metrics_.Sample(image_, /*all=*/true);
  for (const std::string& device : metrics_.device_ids()) {
    Payload dbirth;
    dbirth.timestamp = now;
    dbirth.seq = NextSeq();
    for (const MetricEntry& e : metrics_.entries())
      if (e.device_id == device) dbirth.metrics.push_back(MetricTable::Birth(e, now));
    if (!broker_.Publish(Topic("DBIRTH", device), Encode(dbirth), 0, false)) return;
  }
  born_ = true;
  ++births_;
}

void Node::PublishData(const std::vector<std::size_t>& changed) {
  if (changed.empty() || !born_) return;
  const uint64_t now = NowMs();
  const auto& entries = metrics_.entries();
  for (const std::string& device : metrics_.device_ids()) {
    Payload ddata;
    ddata.timestamp = now;
    for (const std::size_t i : changed)
      if (entries[i].device_id == device) ddata.metrics.push_back(MetricTable::Data(entries[i], now));
    if (ddata.metrics.empty()) continue;
    ddata.seq = NextSeq();
    broker_.Publish(Topic("DDATA", device), Encode(ddata), 0, false);
    ++data_messages_;
  }
}

void Node::CollectLine() {
  std::string line;
  if (!collector_.Take(&line)) return;
  ++collected_;
  if (output_ != nullptr) {
    const std::string stamped = TimestampLine(std::chrono::system_clock::now(), line);
    std::fputs(stamped.c_str(), output_);
    std::fputc('\n', output_);
    std::fflush(output_);
  }
  ChangeLine c;
  if (!ParseChangeLine(line, &c)) return;
  if (const auto i = metrics_.FromLine(c.kind, c.index, c.new_value); i && born_) PublishData({*i});
}

void Node::HandleMessages() {
  if (const uint64_t n = broker_.TakeDroppedReceived(); n > 0)
    Error(Plural(n, "command") + " dropped unread: more than " + std::to_string(BrokerConnection::kMaxReceived) +
          " were waiting");
  const std::string ncmd = Topic("NCMD"), dcmd = Topic("DCMD") + "/";
  for (const ReceivedMessage& message : broker_.Received()) {
    if (message.topic == ncmd)
      HandleCommand(message, {});
    else if (message.topic.compare(0, dcmd.size(), dcmd) == 0)
      HandleCommand(message, message.topic.substr(dcmd.size()));
    else
      HandleState(message);
  }
}

// A primary host's state: {"online": true|false, "timestamp": N}.  One
// older than the last taken is ignored (a retained one may arrive after a
// live one).
void Node::HandleState(const ReceivedMessage& message) {
  if (message.payload_size > message.payload.size()) return;
  const auto state = nlohmann::json::parse(message.payload, nullptr, /*allow_exceptions=*/false);
  if (!state.is_object() || !state.contains("online") || !state["online"].is_boolean()) {
    Error("a STATE message that is not {\"online\": true|false, \"timestamp\": N}: ignored", message.topic);
    return;
  }
  const uint64_t timestamp =
      state.contains("timestamp") && state["timestamp"].is_number_unsigned() ? state["timestamp"].get<uint64_t>() : 0;
  if (timestamp < host_timestamp_) return;
  host_timestamp_ = timestamp;
  const bool online = state["online"].get<bool>();
  if (online == host_online_) return;
  host_online_ = online;
  std::fprintf(stderr, "quorsma: the primary host %s is %s\n", options_.primary_host.c_str(),
               online ? "online" : "offline");
  if (online || !broker_.connected()) return;
  // The host went away: the node dies, and is born again once the host is
  // back, on a new connection (a new bdSeq).
  broker_.Publish(Topic("NDEATH"), Death(bd_seq_), 1, false);
  const auto deadline = Clock::now() + 1s;
  while (broker_.connected() && broker_.in_flight() > 0 && Clock::now() < deadline) std::this_thread::sleep_for(1ms);
  born_ = false;
  broker_.Drop("the primary host " + options_.primary_host + " went offline");
}

void Node::HandleCommand(const ReceivedMessage& message, const std::string& device_id) {
  const std::string& topic = message.topic;
  if (message.retained) {
    Error("a retained command is never carried out (the broker would give it again at every connect)", topic);
    return;
  }
  if (message.payload_size > message.payload.size()) {
    Error("a command of " + std::to_string(message.payload_size) + " bytes: at most " +
              std::to_string(kMaxCommandBytes) + " are read",
          topic);
    return;
  }
  Payload command;
  std::string error;
  if (!Decode(message.payload, kMaxCommandMetrics, &command, &error)) {
    Error(error, topic);
    return;
  }
  if (device_id.empty()) {
    for (const Metric& m : command.metrics) {
      const bool rebirth = m.alias ? *m.alias == kRebirthAlias : m.name == kRebirth;
      if (!rebirth) {
        Error("node metric " + Quote(m.name.empty() ? "alias " + std::to_string(m.alias.value_or(0)) : m.name) +
                  ": only " + kRebirth + " is taken",
              topic);
      } else if (m.value == Metric::Value::kBool && m.number != 0 && born_) {
        std::fprintf(stderr, "quorsma: rebirth asked for on %s\n", topic.c_str());
        Births();
      }
    }
    return;
  }
  if (!writes_allowed_) {
    Error("writes are off: quorsma mqtt was started without --allow-write", topic);
    return;
  }
  for (const Metric& m : command.metrics) {
    const MetricEntry* e = metrics_.Find(device_id, m);
    const std::string what = m.alias ? "alias " + std::to_string(*m.alias) : Quote(m.name);
    if (e == nullptr) {
      Error("metric " + what + ": no such metric of device " + Quote(device_id), topic);
      continue;
    }
    int64_t value = 0;
    if (m.value == Metric::Value::kBool || m.value == Metric::Value::kInt) {
      value = m.value == Metric::Value::kInt && !e->boolean ? static_cast<int32_t>(m.number)
                                                            : static_cast<int64_t>(m.number);
    } else if (m.value == Metric::Value::kLong && static_cast<int64_t>(m.number) >= INT32_MIN &&
               static_cast<int64_t>(m.number) <= INT32_MAX) {
      value = static_cast<int64_t>(m.number);
    } else {
      Error(e->name + (e->boolean ? ": a Boolean value is needed" : ": an Int32 value is needed"), topic);
      continue;
    }
    ReceivedMessage write{topic, std::to_string(value), std::to_string(value).size(), false};
    const std::string reason = writes_.Handle(e->name, write);
    if (!reason.empty()) Error(reason, topic);
  }
  PublishData(metrics_.Sample(image_, /*all=*/false));
}

void Node::Error(const std::string& text, const std::string& topic) {
  std::fprintf(stderr, "quorsma: %s%s%s\n", topic.c_str(), topic.empty() ? "" : ": ", text.c_str());
  if (errors_.size() >= kMaxErrors) {
    ++errors_dropped_;
    return;
  }
  errors_.push_back(ErrorJson(text, topic));
}

void Node::Report() {
  for (const ConnectionNotice& notice : broker_.TakeNotices()) {
    std::fprintf(stderr, "quorsma: %s\n", notice.text.c_str());
    if (!notice.for_errors_topic) continue;
    if (errors_.size() < kMaxErrors)
      errors_.push_back(ErrorJson(notice.text));
    else
      ++errors_dropped_;
  }
  if (!broker_.connected()) return;
  if (errors_dropped_ > 0 &&
      broker_.Publish(options_.errors_topic,
                      ErrorJson(Plural(errors_dropped_, "error message") + " dropped: more than " +
                                std::to_string(kMaxErrors) + " were waiting"),
                      1, false))
    errors_dropped_ = 0;
  while (!errors_.empty() && broker_.in_flight() < static_cast<int64_t>(kMaxErrors) &&
         broker_.Publish(options_.errors_topic, errors_.front(), 1, false))
    errors_.pop_front();
}

int Node::Run(const BrokerOptions& options, std::FILE* output, const std::function<bool()>& stop) {
  output_ = output;
  std::string error;
  if (!broker_.Start(options, &error)) {
    std::fprintf(stderr, "quorsma: %s\n", error.c_str());
    return 1;
  }
  if (options_.enable) collector_.EnableLogging();
  std::fprintf(stderr, "quorsma: Sparkplug B node %s/%s on %s:%d%s; Ctrl-C ends\n", options_.group.c_str(),
               options_.node.c_str(), options.host.c_str(), options.port,
               options_.primary_host.empty() ? "" : (", waiting for primary host " + options_.primary_host).c_str());
  ServiceNotify("READY=1\nSTATUS=Sparkplug B node " + options_.group + "/" + options_.node);
  int code = 0;
  uint64_t seen_connections = 0;
  const auto interval = std::chrono::milliseconds(options_.interval_ms);
  auto next_sample = Clock::now() + interval;
  while (!stop()) {
    if (const std::string refusal = broker_.refusal(); !refusal.empty()) {
      std::fprintf(stderr, "quorsma: the broker refused the connection: %s\n", refusal.c_str());
      code = 1;
      break;
    }
    if (!broker_.connected()) born_ = false;
    if (broker_.connections() != seen_connections && broker_.connected()) {
      seen_connections = broker_.connections();
      std::fprintf(stderr, "quorsma: connected to the broker\n");
      bd_seq_ = attempt_bd_seq_;
      born_ = false;
      host_online_ = options_.primary_host.empty();
      host_timestamp_ = 0;
    }
    HandleMessages();
    if (broker_.connected() && !born_ && host_online_) Births();
    const auto until_sample = next_sample - Clock::now();
    if (until_sample > 0s)
      waiter_.Wait(std::chrono::duration_cast<std::chrono::microseconds>(
          std::min<Clock::duration>(until_sample, kLongestSleep)));
    CollectLine();
    if (Clock::now() >= next_sample) {
      if (born_) PublishData(metrics_.Sample(image_, /*all=*/false));
      next_sample += interval;
      if (next_sample < Clock::now()) next_sample = Clock::now() + interval;
    }
    Report();
  }
  Shutdown();
  collector_.Restore();
  std::fprintf(stderr, "quorsma: %s collected, %s, %s published\n", Plural(collected_, "line").c_str(),
               Plural(births_, "birth").c_str(), Plural(data_messages_, "data message").c_str());
  return code;
}

// The errors waiting, then NDEATH (a clean disconnect leaves the will
// unsent), each given up to kFlushTime in all.
void Node::Shutdown() {
  const auto deadline = Clock::now() + kFlushTime;
  CollectLine();
  Report();
  while (broker_.connected() && Clock::now() < deadline && (!errors_.empty() || broker_.in_flight() > 0)) {
    Report();
    std::this_thread::sleep_for(1ms);
  }
  if (broker_.connected()) {
    broker_.Publish(Topic("NDEATH"), Death(bd_seq_), 1, false);
    while (broker_.connected() && Clock::now() < deadline && broker_.in_flight() > 0)
      std::this_thread::sleep_for(1ms);
  }
  broker_.Stop();
  for (const ConnectionNotice& notice : broker_.TakeNotices()) std::fprintf(stderr, "quorsma: %s\n", notice.text.c_str());
}

}  // namespace quorsma::tool::mqtt::sparkplug
