// quorsma mqtt.  Topics under the prefix:
//   changes            every collected value-change line as JSON (change_message.h)
//   devices/<operand>  the value of each watched device, retained
//   status             "online" retained while running; "offline" on exit and,
//                      through the will, when the process dies or the connection is lost
//   set/<operand>      with --allow-write: a value to write (never a retained one),
//                      answered on set/<operand>/result (set_result.h)
//   errors             as JSON with "error": refused writes, writes not saved,
//                      dropped and lost lines, a likely duplicate client id
#include <chrono>
#include <cstdio>
#include <deque>
#include <fstream>
#include <memory>
#include <string>
#include <thread>

#include "mqtt/broker_connection.h"
#include "mqtt/change_message.h"
#include "cli/client_names.h"
#include "cli/commands.h"
#include "cli/host.h"
#include "mqtt/error_report.h"
#include "cli/library_messages.h"
#include "mqtt/line_queue.h"
#include "mqtt/set_result.h"
#if defined(QUORSMA_SPARKPLUG)
#include "mqtt/sparkplug_node.h"
#endif
#include "quorsma/quorsma.h"
#include "cli/terminal.h"
#include "mqtt/watch_list.h"
#include "mqtt/write_handler.h"

namespace quorsma::tool {
namespace {

using Clock = std::chrono::steady_clock;
using namespace std::chrono_literals;

struct MqttArgs {
  std::string broker = "127.0.0.1:1883";
  std::string client_id;
  std::string topic_prefix;
  std::string username;
  std::string password_file;
  std::string tls_ca, tls_cert, tls_key;
  int qos = 1;
  int keepalive = 60;
  bool enable = false;
  std::string output;
  std::string watch;
  int64_t interval_ms = 100;
  std::string allow_write;
  int64_t queue = 100000;
  std::string device_payload = "plain";  // devices/<operand>: "plain" or "json"
  std::string sparkplug;     // GROUP/NODE: a Sparkplug B edge node instead of the JSON topics
  std::string primary_host;  // Sparkplug: births wait for this host's STATE
};

// Handed to the library and not yet confirmed: beyond this the queue waits.
constexpr int64_t kMaxInFlight = 1000;
// Messages for the errors topic kept while the broker is away.
constexpr std::size_t kMaxErrors = 1000;
constexpr auto kFlushTime = 2s;
constexpr auto kLongestSleep = 100ms;

bool SplitBroker(const std::string& text, std::string* host, int* port) {
  const std::size_t colon = text.rfind(':');
  *host = text.substr(0, colon);
  if (host->empty()) return false;
  if (colon == std::string::npos) return true;
  const std::string digits = text.substr(colon + 1);
  if (digits.empty() || digits.size() > 5 || digits.find_first_not_of("0123456789") != std::string::npos) return false;
  *port = std::stoi(digits);
  return *port >= 1 && *port <= 65535;
}

bool ReadPassword(const std::string& path, std::string* password, std::string* error) {
  std::ifstream in(path, std::ios::binary);
  if (!in) {
    *error = "cannot read the password file " + path;
    return false;
  }
  std::getline(in, *password);
  if (!password->empty() && password->back() == '\r') password->pop_back();
  return true;
}

class Bridge {
 public:
  Bridge(const MqttArgs& args, MH_SHARED_STRUCTURE* image)
      : args_(args), image_(image), collector_(image), waiter_(image),
        queue_(static_cast<std::size_t>(args.queue)), writes_(image, allowed_) {}

  int Run(mqtt::BrokerOptions options, std::FILE* output) {
    output_ = output;
    prefix_ = args_.topic_prefix;
    options.will_topic = prefix_ + "/status";
    options.will_payload = "offline";
    if (!args_.allow_write.empty()) options.subscription = prefix_ + "/set/#";
    std::string error;
    if (!broker_.Start(options, &error)) return Fail(error);
    if (args_.enable) collector_.EnableLogging();
    std::fprintf(stderr, "quorsma: publishing to %s:%d under %s%s; Ctrl-C ends\n", options.host.c_str(),
                 options.port, prefix_.c_str(), waiter_.event_driven() ? "" : " (polling the mailbox)");
    // It holds the mailbox now: ready, whether or not the broker is up yet.
    ServiceNotify("READY=1\nSTATUS=collecting for " + options.host + ":" + std::to_string(options.port) + " under " +
                  prefix_);
    int code = 0;
    auto next_sample = Clock::now();
    uint64_t seen_connections = 0;
    while (!StopRequested()) {
      const std::string refusal = broker_.refusal();
      if (!refusal.empty()) {
        code = Fail("the broker refused the connection: " + refusal);
        break;
      }
      // Counted before it is marked connected: the status and every device
      // go out first on each new connection.
      if (broker_.connections() != seen_connections && broker_.connected()) {
        seen_connections = broker_.connections();
        OnConnected();
        next_sample = Clock::now() + std::chrono::milliseconds(args_.interval_ms);
      }
      ready_ = broker_.connected() && seen_connections == broker_.connections();
      const auto now = Clock::now();
      const auto until_sample = watch_.empty() ? Clock::duration(kLongestSleep) : next_sample - now;
      // Lines held back by the in-flight limit are looked at again soon.
      const Clock::duration longest = ready_ && !queue_.empty() ? Clock::duration(1ms) : kLongestSleep;
      if (until_sample > 0s)
        waiter_.Wait(std::chrono::duration_cast<std::chrono::microseconds>(std::min(until_sample, longest)));
      CollectLine();
      Publish();
      HandleWrites();
      Report();
      ServiceAlive();
      if (!watch_.empty() && Clock::now() >= next_sample) {
        if (ready_) PublishDevices(/*all=*/false);
        next_sample += std::chrono::milliseconds(args_.interval_ms);
        if (next_sample < Clock::now()) next_sample = Clock::now() + std::chrono::milliseconds(args_.interval_ms);
      }
    }
    Shutdown();
    collector_.Restore();
    PrintSummary();
    return code;
  }

  mqtt::WatchList& watch() { return watch_; }
  Permission& allowed() { return allowed_; }

 private:
  void CollectLine() {
    std::string line;
    if (!collector_.Take(&line)) return;
    ++collected_;
    const auto when = std::chrono::system_clock::now();
    if (output_ != nullptr) {
      const std::string stamped = TimestampLine(when, line);
      std::fputs(stamped.c_str(), output_);
      std::fputc('\n', output_);
      std::fflush(output_);
    }
    queue_.Push(mqtt::ChangeJson(line, when));
    if (const uint64_t dropped = queue_.TakeDropped(); dropped > 0) {
      if (unreported_drops_ == 0)
        std::fprintf(stderr, "quorsma: the queue of %lld lines is full while the broker is away: the oldest are "
                     "dropped and counted\n", static_cast<long long>(args_.queue));
      unreported_drops_ += dropped;
      dropped_ += dropped;
    }
  }

  // Hands queued lines to the broker connection in order, as far as it takes them.
  void Publish() {
    if (!ready_) return;
    while (!queue_.empty() && broker_.in_flight() < kMaxInFlight) {
      if (!broker_.Publish(prefix_ + "/changes", queue_.front(), args_.qos, false, /*counted=*/true)) return;
      queue_.pop();
      ++published_;
    }
  }

  // What went wrong since the last call, on standard error at once and on the
  // errors topic as soon as it can go there.
  void Report() {
    for (const mqtt::ConnectionNotice& notice : broker_.TakeNotices()) {
      std::fprintf(stderr, "quorsma: %s\n", notice.text.c_str());
      if (notice.for_errors_topic) Error(notice.text);
    }
    if (const uint64_t n = broker_.TakeUnsent(); n > 0) {
      lost_ += n;
      Error(Plural(n, "line") + " lost: handed over at QoS 0 and not yet sent when the connection ended", true);
    }
    if (ready_ && unreported_drops_ > 0) {
      Error(Plural(unreported_drops_, "line") + " dropped: the queue of " + std::to_string(args_.queue) +
                " was full while the broker was away",
            true);
      unreported_drops_ = 0;
    }
    if (!ready_) return;
    if (errors_dropped_ > 0 && broker_.Publish(prefix_ + "/errors",
                                               mqtt::ErrorJson(Plural(errors_dropped_, "error message") +
                                                               " dropped: more than " + std::to_string(kMaxErrors) +
                                                               " were waiting"),
                                               1, false))
      errors_dropped_ = 0;
    while (!results_.empty() && broker_.in_flight() < kMaxInFlight &&
           broker_.Publish(results_.front().first, results_.front().second, 1, false))
      results_.pop_front();
    while (!errors_.empty() && broker_.in_flight() < kMaxInFlight &&
           broker_.Publish(prefix_ + "/errors", errors_.front(), 1, false))
      errors_.pop_front();
  }

  // Queues a message for the errors topic (at most kMaxErrors wait; more are
  // counted), and shows it on standard error when `shown`.
  void Error(const std::string& text, bool shown = false, const std::string& topic = {}) {
    if (shown) std::fprintf(stderr, "quorsma: %s\n", text.c_str());
    if (errors_.size() >= kMaxErrors) {
      ++errors_dropped_;
      return;
    }
    errors_.push_back(mqtt::ErrorJson(text, topic));
  }

  static std::string Plural(uint64_t n, const std::string& what) {
    return std::to_string(n) + " " + what + (n == 1 ? "" : "s");
  }

  void OnConnected() {
    std::fprintf(stderr, "quorsma: connected to the broker\n");
    broker_.Publish(prefix_ + "/status", "online", 1, true);
    if (!watch_.empty()) PublishDevices(/*all=*/true);
  }

  void PublishDevices(bool all) {
    const auto now = std::chrono::system_clock::now();
    const bool as_json = args_.device_payload == "json";
    for (const auto& [operand, value] : watch_.Sample(image_, all))
      broker_.Publish(prefix_ + "/devices/" + operand, mqtt::DevicePayload(value, now, as_json), args_.qos, true);
  }

  void HandleWrites() {
    const std::string set_prefix = prefix_ + "/set/";
    if (const uint64_t n = broker_.TakeDroppedReceived(); n > 0)
      Error(Plural(n, "write") + " dropped unread: more than " +
                std::to_string(mqtt::BrokerConnection::kMaxReceived) + " were waiting",
            true);
    for (const mqtt::ReceivedMessage& message : broker_.Received()) {
      if (message.topic.compare(0, set_prefix.size(), set_prefix) != 0 || mqtt::IsResultTopic(message.topic)) continue;
      const std::string operand = message.topic.substr(set_prefix.size());
      const std::string reason = writes_.Handle(operand, message);
      const std::string topic = set_prefix + mqtt::Cut(operand);
      if (results_.size() >= kMaxErrors) results_.pop_front();
      // A retained message already answered in this run is ignored silently.
      if (!message.retained || !reason.empty())
        results_.push_back({topic + mqtt::kResultSuffix,
                            mqtt::SetResultJson(operand, message.payload, message.payload_size, reason)});
      if (reason.empty()) continue;
      if (message.retained) std::fprintf(stderr, "quorsma: %s: %s\n", topic.c_str(), reason.c_str());
      Error(reason, false, topic);
    }
  }

  // Up to kFlushTime for the queue, the errors and what is in flight, then
  // offline.
  void Shutdown() {
    const auto deadline = Clock::now() + kFlushTime;
    CollectLine();
    Report();
    while (broker_.connected() && Clock::now() < deadline &&
           (!queue_.empty() || !errors_.empty() || !results_.empty() || broker_.in_flight() > 0)) {
      ready_ = broker_.connected() && broker_.connections() > 0;
      Publish();
      Report();
      std::this_thread::sleep_for(1ms);
    }
    if (broker_.connected()) {
      broker_.Publish(prefix_ + "/status", "offline", 1, true);
      while (broker_.connected() && Clock::now() < deadline && broker_.in_flight() > 0)
        std::this_thread::sleep_for(1ms);
    }
    broker_.Stop();
    for (const mqtt::ConnectionNotice& notice : broker_.TakeNotices())
      std::fprintf(stderr, "quorsma: %s\n", notice.text.c_str());
  }

  // "published" counts the lines handed to the connection; "confirmed" those
  // the broker acknowledged (QoS 1) or, at QoS 0, that were written to the
  // network, which the broker may still lose.
  void PrintSummary() {
    const uint64_t confirmed = broker_.confirmed();
    std::fprintf(stderr, "quorsma: %s collected, %lld published (%llu %s), %zu left unpublished", 
                 Plural(static_cast<uint64_t>(collected_), "line").c_str(), static_cast<long long>(published_),
                 static_cast<unsigned long long>(confirmed),
                 args_.qos > 0 ? "confirmed by the broker" : "sent, unconfirmed at QoS 0", queue_.size());
    if (dropped_ > 0) std::fprintf(stderr, ", %llu dropped", static_cast<unsigned long long>(dropped_));
    if (lost_ > 0) std::fprintf(stderr, ", %llu lost unsent", static_cast<unsigned long long>(lost_));
    std::fputc('\n', stderr);
    if (unreported_drops_ > 0)
      std::fprintf(stderr, "quorsma: %s dropped: the queue of %lld was full while the broker was away\n",
                   Plural(unreported_drops_, "line").c_str(), static_cast<long long>(args_.queue));
    const uint64_t handed = static_cast<uint64_t>(published_) - lost_;
    if (args_.qos > 0 && confirmed < handed)
      std::fprintf(stderr, "quorsma: %s published but not confirmed by the broker before the end: they may be lost\n",
                   Plural(handed - confirmed, "line").c_str());
    if (!errors_.empty() || errors_dropped_ > 0)
      std::fprintf(stderr, "quorsma: %llu error message%s could not be published\n",
                   static_cast<unsigned long long>(errors_.size() + errors_dropped_),
                   errors_.size() + errors_dropped_ == 1 ? "" : "s");
  }

  const MqttArgs& args_;
  MH_SHARED_STRUCTURE* image_;
  Collector collector_;
  LineWaiter waiter_;
  mqtt::LineQueue queue_;
  mqtt::BrokerConnection broker_;
  mqtt::WatchList watch_;
  Permission allowed_;
  mqtt::WriteHandler writes_;
  std::string prefix_;
  std::FILE* output_ = nullptr;
  bool ready_ = false;  // connected, and the status and devices of this connection sent
  int64_t collected_ = 0, published_ = 0;
  uint64_t dropped_ = 0, unreported_drops_ = 0, lost_ = 0;
  std::deque<std::string> errors_;  // JSON messages waiting for the errors topic
  // Answers to writes waiting for the broker (topic, JSON): at most one per
  // write taken, and writes are taken only while connected.
  std::deque<std::pair<std::string, std::string>> results_;
  uint64_t errors_dropped_ = 0;
};

#if defined(QUORSMA_SPARKPLUG)
std::FILE* OpenOutput(const std::string& path) {
  return path.empty() ? nullptr : std::fopen(path.c_str(), "ab");
}

int RunSparkplug(const MqttArgs& args, mqtt::sparkplug::NodeOptions node_options, mqtt::BrokerOptions options,
                 MH_SHARED_STRUCTURE* image) {
  CaptureLibraryMessages();
  node_options.primary_host = args.primary_host;
  node_options.errors_topic = args.topic_prefix + "/errors";
  node_options.interval_ms = args.interval_ms;
  node_options.enable = args.enable;
  Permission allowed;
  std::string error;
  if (!args.allow_write.empty() && !Permission::Parse(args.allow_write, &allowed, &error))
    return BadInput("--allow-write: " + error);
  auto node = std::make_unique<mqtt::sparkplug::Node>(image, node_options, allowed, !args.allow_write.empty());
  if (!node->metrics().Parse(args.watch, &error)) return BadInput("--watch: " + error);
  node->Configure(&options);
  std::FILE* output = OpenOutput(args.output);
  if (!args.output.empty() && output == nullptr) return Fail("cannot open " + args.output + " for appending");
  SectionLock lock;
  if (!lock.Acquire("collector", &error)) {
    if (output != nullptr) std::fclose(output);
    return Fail(error);
  }
  InstallStopHandler();
  const int code = node->Run(options, output, [] { return StopRequested(); });
  if (output != nullptr) std::fclose(output);
  return code == 0 ? 0 : kExitFailure;
}
#endif

int Mqtt(MqttArgs args) {
  mqtt::BrokerOptions options;
  if (!SplitBroker(args.broker, &options.host, &options.port))
    return BadInput("--broker '" + args.broker + "': HOST or HOST:PORT with a port from 1 to 65535");
  if (args.topic_prefix.empty()) args.topic_prefix = "quorsma/" + HostName();
  if (args.topic_prefix.find_first_of("#+") != std::string::npos || args.topic_prefix.back() == '/')
    return BadInput("--topic-prefix '" + args.topic_prefix + "': no '#' or '+', and no '/' at the end");
  options.client_id = args.client_id.empty() ? "quorsma-" + HostName() + "-" + std::to_string(CurrentProcessId()) : args.client_id;
  options.username = args.username;
  options.keepalive = args.keepalive;
  options.tls_ca = args.tls_ca;
  options.tls_cert = args.tls_cert;
  options.tls_key = args.tls_key;
  std::string error;
  if (!args.password_file.empty() && !ReadPassword(args.password_file, &options.password, &error))
    return BadInput(error);
#if defined(QUORSMA_SPARKPLUG)
  mqtt::sparkplug::NodeOptions node;
  if (!args.sparkplug.empty()) {
    if (!mqtt::sparkplug::ParseNodeName(args.sparkplug, &node.group, &node.node, &error))
      return BadInput("--sparkplug " + error);
    if (args.watch.empty()) return BadInput("--sparkplug needs --watch: the devices that are its metrics");
  }
  if (!args.primary_host.empty() && (args.sparkplug.empty() || !mqtt::sparkplug::ValidTopicPart(args.primary_host)))
    return BadInput("--primary-host '" + args.primary_host + "': a host id without '/', '+' or '#', with --sparkplug");
#else
  if (!args.sparkplug.empty() || !args.primary_host.empty())
    return BadInput("--sparkplug: this build of quorsma has no Sparkplug B support (built without protobuf-c)");
#endif
  MH_SHARED_STRUCTURE* image = RequireImage();
  if (image == nullptr) return kExitFailure;
#if defined(QUORSMA_SPARKPLUG)
  if (!args.sparkplug.empty()) return RunSparkplug(args, std::move(node), options, image);
#endif
  // A write's outcome includes the library's messages (a failed save).
  CaptureLibraryMessages();
  auto bridge = std::make_unique<Bridge>(args, image);
  if (!args.watch.empty() && !bridge->watch().Parse(args.watch, &error)) return BadInput("--watch: " + error);
  if (!args.allow_write.empty() && !Permission::Parse(args.allow_write, &bridge->allowed(), &error))
    return BadInput("--allow-write: " + error);
  std::FILE* output = nullptr;
  if (!args.output.empty()) {
    output = std::fopen(args.output.c_str(), "ab");
    if (output == nullptr) return Fail("cannot open " + args.output + " for appending");
  }
  SectionLock lock;
  if (!lock.Acquire("collector", &error)) {
    if (output != nullptr) std::fclose(output);
    return Fail(error);
  }
  InstallStopHandler();
  const int code = bridge->Run(options, output);
  if (output != nullptr) std::fclose(output);
  return code;
}

}  // namespace

void AddMqttCommand(CLI::App& app, int* exit_code) {
  auto args = std::make_shared<MqttArgs>();
  CLI::App* cmd = app.add_subcommand("mqtt", "Publish value-change lines and device values to an MQTT broker");
  cmd->add_option("--broker", args->broker, "HOST:PORT of the broker (default 127.0.0.1:1883)");
  cmd->add_option("--client-id", args->client_id, "MQTT client id (default quorsma-<host>-<pid>)");
  cmd->add_option("--topic-prefix", args->topic_prefix, "Prefix of every topic (default quorsma/<host name>)");
  cmd->add_option("--username", args->username, "User name for the broker");
  cmd->add_option("--password-file", args->password_file, "File whose first line is the password");
  cmd->add_option("--tls-ca", args->tls_ca, "CA certificate file: connect with TLS");
  cmd->add_option("--tls-cert", args->tls_cert, "Client certificate file (with --tls-key)");
  cmd->add_option("--tls-key", args->tls_key, "Client key file");
  cmd->add_option("--qos", args->qos, "QoS of changes and device values: 1 (default) or 0, which may lose lines")->check(CLI::Range(0, 1));
  cmd->add_option("--keepalive", args->keepalive, "Keep-alive in seconds (default 60)")->check(CLI::Range(5, 65535));
  cmd->add_flag("--enable", args->enable, "Switch value-change logging on (LogEnable) while running");
  cmd->add_option("-o,--output", args->output, "Also append the lines (CP949) to this file, as log does");
  cmd->add_option("--watch", args->watch, "Devices to publish when they change: D100..D120,X0..X1F,K4M0");
  cmd->add_option("--interval", args->interval_ms, "Milliseconds between samples of the watched devices (default 100)")
      ->check(CLI::Range(int64_t{1}, int64_t{3600000}));
  cmd->add_option("--allow-write", args->allow_write, "Devices that <prefix>/set/<operand> may write: D100..D199,M0")
      ->check([](const std::string& text) { return text.empty() ? std::string("an empty list allows nothing") : ""; });
  cmd->add_option("--queue", args->queue, "Lines kept while the broker is away (default 100000)")
      ->check(CLI::Range(int64_t{1}, int64_t{100000000}));
  cmd->add_option("--device-payload", args->device_payload,
                  "devices/<operand> payloads: plain (the number, default) or json ({\"value\":N,\"time\":...})")
      ->check(CLI::IsMember({"plain", "json"}));
  cmd->add_option("--sparkplug", args->sparkplug,
                  "GROUP/NODE: be a Sparkplug B edge node; the --watch devices are its metrics");
  cmd->add_option("--primary-host", args->primary_host, "Sparkplug: publish births only while this host is online");
  cmd->footer(
      "Topics under the prefix: changes (JSON), devices/<operand> (retained), status (online/offline, retained),\n"
      "set/<operand> (with --allow-write), errors.  Only one collector (log or mqtt) runs per section.");
  cmd->callback([args, exit_code] { *exit_code = Mqtt(*args); });
}

}  // namespace quorsma::tool
