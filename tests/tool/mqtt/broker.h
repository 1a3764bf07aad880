// A Mosquitto broker of a test's own, on a free port of 127.0.0.1, with a
// generated configuration in a temporary directory; and a subscriber that
// records what arrives.  Everything is bounded in time and stopped at the end.
#pragma once

#include <sys/types.h>

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <functional>
#include <mutex>
#include <string>
#include <vector>

struct mosquitto;
struct mosquitto_message;

namespace quorsma::tool::mqtt::testing {

class Broker {
 public:
  // `extra` lines are added to the configuration (e.g. authentication), with
  // every "DIR" replaced by the broker's directory; `prepare` runs on that
  // directory before the broker starts.
  explicit Broker(std::string extra = "", const std::function<void(const std::string& dir)>& prepare = {});
  ~Broker();
  // Stops the broker (SIGTERM, which also saves a persistent state) and starts
  // it again on the same port.
  void Stop();
  void Start();
  // Kills the broker outright (SIGKILL): what it held in memory is gone.
  void Kill();
  int port() const { return port_; }
  const std::string& dir() const { return dir_; }

 private:
  std::string dir_;
  int port_ = 0;
  pid_t pid_ = -1;
};

struct Message {
  std::string topic;
  std::string payload;
  bool retained = false;
  std::chrono::steady_clock::time_point received;
};

class Subscriber {
 public:
  // Subscribes to `topic` with QoS 1.  With a client id the session is kept
  // by the broker while the subscriber is away.
  Subscriber(int port, const std::string& topic, const std::string& client_id = "");
  ~Subscriber();

  // Waits until `done` holds for the messages so far; false after `timeout`.
  bool WaitFor(const std::function<bool(const std::vector<Message>&)>& done,
               std::chrono::milliseconds timeout = std::chrono::seconds(10));
  // The messages of one topic so far.
  std::vector<Message> On(const std::string& topic);
  void Publish(const std::string& topic, const std::string& payload, bool retain = false);

 private:
  static void OnMessage(mosquitto*, void* self, const mosquitto_message* message);
  static void OnConnect(mosquitto*, void* self, int rc);
  static void OnSubscribe(mosquitto*, void* self, int mid, int count, const int* granted);
  mosquitto* mosq_ = nullptr;
  std::atomic<int> subscribed_{0};
  std::string topic_;
  std::mutex mutex_;
  std::condition_variable arrived_;
  std::vector<Message> messages_;
};

}  // namespace quorsma::tool::mqtt::testing
