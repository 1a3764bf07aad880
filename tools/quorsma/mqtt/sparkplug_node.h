// quorsma mqtt --sparkplug GROUP/NODE: a Sparkplug B edge node.  Topics:
//
//   spBv1.0/GROUP/NBIRTH/NODE           bdSeq, Node Control/Rebirth
//   spBv1.0/GROUP/DBIRTH/NODE/<kind>    every metric of a device kind: name, alias, type, value, comment
//   spBv1.0/GROUP/DDATA/NODE/<kind>     changed metrics by alias, with their timestamps
//   spBv1.0/GROUP/NDEATH/NODE           bdSeq: the will of each connection, and before a deliberate end
//   spBv1.0/GROUP/NCMD/NODE             Node Control/Rebirth (true): births again
//   spBv1.0/GROUP/DCMD/NODE/<kind>      with --allow-write: writes, through the checked write
//   spBv1.0/STATE/<host id>             with --primary-host: births wait until that host is online
//
// bdSeq goes up by one at every connection attempt (0 to 255, then 0): the
// will left with the broker and the NBIRTH of that connection carry the same
// one.  seq is 0 in each NBIRTH and goes up by one (wrapping at 255) with
// every later message of the node until the next NBIRTH.  Births and data go
// out at QoS 0 and are not retained; the deaths at QoS 1.
//
// Changes come from the image (sampled every --interval) and from the
// value-change lines collected (each one at once).  While no birth is out
// (no connection, or the primary host away) nothing is kept: the next
// births carry the current values.
#pragma once

#include <atomic>
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <deque>
#include <functional>
#include <string>

#include "broker_connection.h"
#include "quorsma/client.h"
#include "quorsma/quorsma.h"
#include "sparkplug_metrics.h"
#include "write_handler.h"

namespace quorsma::tool::mqtt::sparkplug {

struct NodeOptions {
  std::string group, node;  // checked by ParseNodeName
  std::string primary_host;  // empty: births go out at once
  std::string errors_topic;  // refused commands, as JSON
  int64_t interval_ms = 100;
  bool enable = false;
};

// Splits GROUP/NODE; false with a reason when a part is empty or holds '/',
// '+' or '#'.
bool ParseNodeName(const std::string& text, std::string* group, std::string* node, std::string* error);
// True for a host id usable in a topic (no '/', '+', '#', not empty).
bool ValidTopicPart(const std::string& text);

class Node {
 public:
  // Commands larger than this are refused unread; more metrics than this in
  // one command refuse the whole command.
  static constexpr std::size_t kMaxCommandBytes = 16 * 1024;
  static constexpr std::size_t kMaxCommandMetrics = 1000;
  static constexpr std::size_t kMaxErrors = 1000;

  Node(MH_SHARED_STRUCTURE* image, NodeOptions options, const Permission& allowed, bool writes);
  MetricTable& metrics() { return metrics_; }
  // Sets the will, the subscriptions and the size of what is kept of a
  // received message.
  void Configure(BrokerOptions* options);
  // Runs until `stop` says so; the exit code.
  int Run(const BrokerOptions& options, std::FILE* output, const std::function<bool()>& stop);

 private:
  using Clock = std::chrono::steady_clock;

  std::string Topic(const std::string& type, const std::string& device = {}) const;
  std::string Death(uint64_t bd_seq) const;
  uint64_t NextSeq();
  void Births();
  void PublishData(const std::vector<std::size_t>& changed);
  void CollectLine();
  void HandleMessages();
  void HandleState(const ReceivedMessage& message);
  void HandleCommand(const ReceivedMessage& message, const std::string& device_id);
  void Error(const std::string& text, const std::string& topic = {});
  void Report();
  void Shutdown();

  MH_SHARED_STRUCTURE* image_;
  NodeOptions options_;
  const Permission& allowed_;
  bool writes_allowed_;
  Collector collector_;
  LineWaiter waiter_;
  MetricTable metrics_;
  WriteHandler writes_;
  BrokerConnection broker_;
  std::FILE* output_ = nullptr;
  // bdSeq: of the next attempt, and of the last attempt (set on the network thread).
  std::atomic<uint64_t> next_bd_seq_{0}, attempt_bd_seq_{0};
  uint64_t bd_seq_ = 0;  // of the connection the births went out on
  uint64_t seq_ = 0;     // of the next message after a birth
  bool born_ = false;    // NBIRTH sent on this connection
  bool host_online_ = true;
  uint64_t host_timestamp_ = 0;  // of the last STATE taken
  std::deque<std::string> errors_;
  uint64_t errors_dropped_ = 0;
  uint64_t collected_ = 0, births_ = 0, data_messages_ = 0;
};

}  // namespace quorsma::tool::mqtt::sparkplug
