// One connection to an MQTT broker through libmosquitto, with its network
// thread: connects in the background, reconnects after a loss with a growing
// delay (1 s doubling up to 30 s), and leaves the status will with the
// broker.  Messages received on subscribed topics are kept until Received
// collects them on the caller's thread.
#pragma once

#include <atomic>
#include <cstdint>
#include <mutex>
#include <string>
#include <utility>
#include <vector>

struct mosquitto;
struct mosquitto_message;

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
  std::string will_topic;    // published retained with will_payload on a lost connection
  std::string will_payload;
  std::string subscription;  // subscribed after every connect when not empty
};

class BrokerConnection {
 public:
  BrokerConnection();
  ~BrokerConnection();
  BrokerConnection(const BrokerConnection&) = delete;
  BrokerConnection& operator=(const BrokerConnection&) = delete;

  // Sets the connection up and starts connecting; false with a reason when the
  // options cannot be used (the broker being away is not a failure).
  bool Start(const BrokerOptions& options, std::string* error);
  // Disconnects cleanly (no will) and stops the network thread.
  void Stop();

  bool connected() const { return connected_.load(); }
  // Counts connections made; a caller compares it to notice a reconnect.
  uint64_t connections() const { return connections_.load(); }
  // Set when the broker refused the connection for good (credentials,
  // client id): the reason; empty otherwise.
  std::string refusal() const;
  // Messages handed over and not yet confirmed (QoS 1) or sent (QoS 0).
  int64_t in_flight() const { return in_flight_.load(); }

  // Hands a message to the library; false when it could not (not connected).
  bool Publish(const std::string& topic, const std::string& payload, int qos, bool retain);
  // The messages received since the last call: (topic, payload).
  std::vector<std::pair<std::string, std::string>> Received();

 private:
  static void OnConnect(mosquitto*, void* self, int rc);
  static void OnDisconnect(mosquitto*, void* self, int rc);
  static void OnPublish(mosquitto*, void* self, int mid);
  static void OnMessage(mosquitto*, void* self, const mosquitto_message* message);

  mosquitto* mosq_ = nullptr;
  bool loop_started_ = false;
  std::string subscription_;
  std::atomic<bool> connected_{false};
  std::atomic<uint64_t> connections_{0};
  std::atomic<int64_t> in_flight_{0};
  mutable std::mutex mutex_;
  std::string refusal_;
  std::vector<std::pair<std::string, std::string>> received_;
};

}  // namespace quorsma::tool::mqtt
