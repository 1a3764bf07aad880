// One MQTT 5 connection to a broker through libmosquitto, with a network
// thread of its own that connects from the first attempt on, whether or not
// the broker is there yet, and again after every loss: it waits 1 s before
// the next attempt, doubling up to 30 s, and starts again at 1 s after a
// connection that lasted a minute.  It leaves the status will with the broker.
//
// Messages received on the subscription are kept until Received collects
// them on the caller's thread: at most kMaxReceived (more are counted and
// dropped), each payload cut to its kept_bytes (a write needs a few bytes; the
// whole size is kept).  The subscription asks for the retain flag as the
// publisher set it, so a retained message is known as such also when it
// arrives live.
//
// Each message handed over is tracked until the library reports it done
// (QoS 1: acknowledged by the broker; QoS 0: written to the network).  QoS 0
// messages still unwritten when a connection ends are gone: they are counted.
#pragma once

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <functional>
#include <mutex>
#include <string>
#include <thread>
#include <unordered_map>
#include <unordered_set>
#include <vector>

struct mosquitto;
struct mosquitto_message;
struct mqtt5__property;

namespace quorsma::tool::mqtt {

struct BrokerOptions {
  std::string host = "127.0.0.1";
  int port = 1883;
  std::string client_id;
  std::string username;
  std::string password;
  std::string tls_ca;
  std::string tls_cert;
  std::string tls_key;
  int keepalive = 60;
  std::string will_topic;    // published with will_payload on a lost connection
  std::string will_payload;
  bool will_retain = true;
  // When set, called on the network thread before each attempt: the will
  // payload of that attempt (a payload that changes per connection).
  std::function<std::string()> will_for_attempt;
  std::string subscription;  // subscribed after every connect when not empty
  std::vector<std::string> more_subscriptions;  // subscribed first, in order
  std::size_t kept_bytes = 1024;  // of each received payload
};

struct ReceivedMessage {
  std::string topic;
  std::string payload;           // at most BrokerOptions::kept_bytes
  std::size_t payload_size = 0;  // as received
  bool retained = false;
};

// Something about the connection a user should hear of, once.
struct ConnectionNotice {
  std::string text;
  bool for_errors_topic = false;  // also worth a message on the errors topic
};

class BrokerConnection {
 public:
  static constexpr std::size_t kMaxReceived = 1000;
  // A connection the broker closes sooner than this, while it takes the next
  // one at once, looks taken over by another client with the same id.
  static constexpr std::chrono::seconds kStableConnection{60};

  BrokerConnection();
  ~BrokerConnection();
  BrokerConnection(const BrokerConnection&) = delete;
  BrokerConnection& operator=(const BrokerConnection&) = delete;

  // Sets the connection up and starts the network thread; false with a
  // reason when the options cannot be used (the broker being away is not a
  // failure).
  bool Start(const BrokerOptions& options, std::string* error);
  // Disconnects cleanly (no will) and stops the network thread.
  void Stop();
  // Disconnects cleanly (no will); the network thread connects again after
  // the usual wait.
  void Drop(const std::string& reason);

  bool connected() const { return connected_.load(); }
  // Counts connections made; a caller compares it to notice a reconnect.
  uint64_t connections() const { return connections_.load(); }
  // Set when the broker refused the connection for good (credentials,
  // client id): the reason; empty otherwise.
  std::string refusal() const;
  // Messages handed over and not yet done.
  int64_t in_flight() const { return in_flight_.load(); }
  // Of the messages handed over with `counted`: those done, and those lost
  // unwritten at QoS 0.
  uint64_t confirmed() const { return confirmed_.load(); }
  uint64_t TakeUnsent() { return unsent_.exchange(0); }

  // Hands a message to the library; false when it could not (not connected).
  bool Publish(const std::string& topic, const std::string& payload, int qos, bool retain, bool counted = false);
  // The messages received since the last call.
  std::vector<ReceivedMessage> Received();
  // Messages dropped since the last call because kMaxReceived were waiting.
  uint64_t TakeDroppedReceived() { return dropped_received_.exchange(0); }
  std::vector<ConnectionNotice> TakeNotices();

 private:
  using Clock = std::chrono::steady_clock;
  struct Pending {
    int qos = 0;
    bool counted = false;
  };

  void Run();
  // Waits `delay` unless Stop comes first; false when it did.
  bool Wait(Clock::duration delay);
  void Notice(std::string text, bool for_errors_topic = false);
  void Done(int mid, const Pending& pending);

  static void OnConnect(mosquitto*, void* self, int rc, int flags, const mqtt5__property*);
  static void OnDisconnect(mosquitto*, void* self, int rc, const mqtt5__property*);
  static void OnPublish(mosquitto*, void* self, int mid);
  static void OnSubscribe(mosquitto*, void* self, int mid, int count, const int* granted, const mqtt5__property*);
  static void OnMessage(mosquitto*, void* self, const mosquitto_message* message);

  mosquitto* mosq_ = nullptr;
  BrokerOptions options_;
  std::thread thread_;
  bool stopping_ = false;  // under mutex_
  std::condition_variable stop_;
  std::atomic<bool> connected_{false};
  std::atomic<uint64_t> connections_{0};
  std::atomic<int64_t> in_flight_{0};
  std::atomic<uint64_t> confirmed_{0}, unsent_{0}, dropped_received_{0};
  mutable std::mutex mutex_;
  std::string refusal_;
  std::string attempt_refusal_;  // a refusal that the next attempt may not meet
  Clock::time_point connected_at_;
  std::unordered_map<int, Pending> pending_;
  std::unordered_set<int> done_early_;  // reported done before Publish recorded them
  std::unordered_map<int, std::string> subscribing_;  // message id -> topic
  std::vector<ReceivedMessage> received_;
  std::vector<ConnectionNotice> notices_;
};

}  // namespace quorsma::tool::mqtt
