#include "broker_connection.h"

#include <mosquitto.h>
#include <mqtt_protocol.h>

#include <algorithm>
#include <utility>

namespace quorsma::tool::mqtt {
namespace {

using namespace std::chrono_literals;

constexpr auto kFirstDelay = 1s;  // before the next attempt
constexpr auto kLongestDelay = 30s;
constexpr int kLoopTimeoutMs = 1000;  // Stop is noticed at least this often

std::once_flag g_library_once;

// The library's text without its closing full stop, to go inside a sentence.
std::string ErrorText(int rc) {
  std::string text = mosquitto_strerror(rc);
  if (!text.empty() && text.back() == '.') text.pop_back();
  return rc == MOSQ_ERR_ERRNO ? text + " (system error)" : text;
}

// Refusals that a later attempt may not meet; every other refusal
// (credentials, client id, protocol) is for good.
bool Passing(int reason) {
  return reason == MQTT_RC_SERVER_UNAVAILABLE || reason == MQTT_RC_SERVER_BUSY || reason == MQTT_RC_QUOTA_EXCEEDED ||
         reason == MQTT_RC_CONNECTION_RATE_EXCEEDED;
}

std::string Seconds(std::chrono::steady_clock::duration d) {
  return std::to_string(std::chrono::duration_cast<std::chrono::seconds>(d).count()) + " s";
}

}  // namespace

BrokerConnection::BrokerConnection() {
  std::call_once(g_library_once, [] { mosquitto_lib_init(); });
}

BrokerConnection::~BrokerConnection() {
  Stop();
  if (mosq_ != nullptr) mosquitto_destroy(mosq_);
}

bool BrokerConnection::Start(const BrokerOptions& o, std::string* error) {
  options_ = o;
  mosq_ = mosquitto_new(o.client_id.c_str(), /*clean_session=*/true, this);
  if (mosq_ == nullptr) {
    *error = "cannot set up the MQTT client";
    return false;
  }
  mosquitto_int_option(mosq_, MOSQ_OPT_PROTOCOL_VERSION, MQTT_PROTOCOL_V5);
  // The network thread is ours: publishing from the caller's thread wakes it.
  mosquitto_threaded_set(mosq_, true);
  mosquitto_connect_v5_callback_set(mosq_, OnConnect);
  mosquitto_disconnect_v5_callback_set(mosq_, OnDisconnect);
  mosquitto_publish_callback_set(mosq_, OnPublish);
  mosquitto_subscribe_v5_callback_set(mosq_, OnSubscribe);
  mosquitto_message_callback_set(mosq_, OnMessage);
  int rc = MOSQ_ERR_SUCCESS;
  if (!o.username.empty()) {
    rc = mosquitto_username_pw_set(mosq_, o.username.c_str(), o.password.empty() ? nullptr : o.password.c_str());
    if (rc != MOSQ_ERR_SUCCESS) {
      *error = "username or password: " + ErrorText(rc);
      return false;
    }
  }
  if (!o.tls_ca.empty() || !o.tls_cert.empty()) {
    rc = mosquitto_tls_set(mosq_, o.tls_ca.empty() ? nullptr : o.tls_ca.c_str(), nullptr,
                           o.tls_cert.empty() ? nullptr : o.tls_cert.c_str(),
                           o.tls_key.empty() ? nullptr : o.tls_key.c_str(), nullptr);
    if (rc != MOSQ_ERR_SUCCESS) {
      *error = "TLS files: " + ErrorText(rc);
      return false;
    }
  }
  if (!o.will_topic.empty()) {
    rc = mosquitto_will_set(mosq_, o.will_topic.c_str(), static_cast<int>(o.will_payload.size()),
                            o.will_payload.data(), 1, o.will_retain);
    if (rc != MOSQ_ERR_SUCCESS) {
      *error = "will message: " + ErrorText(rc);
      return false;
    }
  }
  thread_ = std::thread([this] { Run(); });
  return true;
}

void BrokerConnection::Stop() {
  {
    std::lock_guard<std::mutex> lock(mutex_);
    if (!thread_.joinable()) return;
    stopping_ = true;
  }
  stop_.notify_all();
  // A clean disconnect (no will) when connected; it also wakes the loop.
  mosquitto_disconnect(mosq_);
  thread_.join();
  connected_ = false;
}

// Attempts, the loop of each connection, and the wait before the next
// attempt.  A connection the broker closes soon after it was made, when the
// next one is taken at the first attempt, is counted: two such in a row say
// that another client with the same id takes the session each time it
// connects (the broker closes the older connection of an id).
void BrokerConnection::Run() {
  auto delay = Clock::duration(kFirstDelay);
  int attempts = 0;     // since the last connection ended
  int quick_closes = 0;  // connections in a row closed soon by the broker
  std::string last_failure;
  const std::string where = options_.host + ":" + std::to_string(options_.port);
  for (bool first = true;; first = false) {
    const uint64_t before = connections_;
    ++attempts;
    if (options_.will_for_attempt) {
      const std::string will = options_.will_for_attempt();
      mosquitto_will_set(mosq_, options_.will_topic.c_str(), static_cast<int>(will.size()), will.data(), 1,
                         options_.will_retain);
    }
    int rc = first ? mosquitto_connect_async(mosq_, options_.host.c_str(), options_.port, options_.keepalive)
                   : mosquitto_reconnect_async(mosq_);
    if (rc == MOSQ_ERR_INVAL) {
      std::lock_guard<std::mutex> lock(mutex_);
      refusal_ = "broker address " + where + ": " + ErrorText(rc);
      return;
    }
    if (rc == MOSQ_ERR_SUCCESS) {
      while ((rc = mosquitto_loop(mosq_, kLoopTimeoutMs, 1)) == MOSQ_ERR_SUCCESS) {
        std::lock_guard<std::mutex> lock(mutex_);
        if (stopping_) break;
      }
    }
    connected_ = false;
    std::string passing;
    {
      std::lock_guard<std::mutex> lock(mutex_);
      if (stopping_ || !refusal_.empty()) return;
      passing.swap(attempt_refusal_);
    }
    if (connections_ != before) {
      const auto lasted = Clock::now() - connected_at_;
      if (lasted >= kStableConnection) delay = kFirstDelay;
      const bool closed_soon = rc == MOSQ_ERR_CONN_LOST && lasted < kStableConnection;
      quick_closes = !closed_soon ? 0 : quick_closes > 0 && attempts > 1 ? 1 : quick_closes + 1;
      attempts = 0;
      last_failure.clear();
      Notice("lost the connection to the broker: " + ErrorText(rc) + "; connecting again in " + Seconds(delay));
      if (quick_closes >= 2)
        Notice("the broker closed the connection soon after it was made " + std::to_string(quick_closes) +
                   " times in a row, yet took the next one at once: another client probably uses the client id '" +
                   options_.client_id + "' (a broker closes the older connection of an id); give each its own "
                   "--client-id",
               /*for_errors_topic=*/true);
    } else {
      quick_closes = 0;
      const std::string failure = passing.empty() ? ErrorText(rc) : "refused for now: " + passing;
      if (failure != last_failure)
        Notice("cannot connect to the broker at " + where + ": " + failure + "; trying again in " + Seconds(delay) +
               ", then waiting twice as long each time up to " + Seconds(kLongestDelay));
      last_failure = failure;
    }
    if (!Wait(delay)) return;
    delay = std::min(delay * 2, Clock::duration(kLongestDelay));
  }
}

void BrokerConnection::Drop(const std::string& reason) {
  Notice("disconnecting: " + reason);
  mosquitto_disconnect(mosq_);
}

bool BrokerConnection::Wait(Clock::duration delay) {
  std::unique_lock<std::mutex> lock(mutex_);
  return !stop_.wait_for(lock, delay, [this] { return stopping_; });
}

void BrokerConnection::Notice(std::string text, bool for_errors_topic) {
  std::lock_guard<std::mutex> lock(mutex_);
  notices_.push_back({std::move(text), for_errors_topic});
}

std::vector<ConnectionNotice> BrokerConnection::TakeNotices() {
  std::lock_guard<std::mutex> lock(mutex_);
  return std::exchange(notices_, {});
}

std::string BrokerConnection::refusal() const {
  std::lock_guard<std::mutex> lock(mutex_);
  return refusal_;
}

bool BrokerConnection::Publish(const std::string& topic, const std::string& payload, int qos, bool retain,
                               bool counted) {
  if (!connected_) return false;
  int mid = 0;
  const int rc = mosquitto_publish(mosq_, &mid, topic.c_str(), static_cast<int>(payload.size()), payload.data(), qos,
                                   retain);
  if (rc != MOSQ_ERR_SUCCESS) return false;
  std::lock_guard<std::mutex> lock(mutex_);
  if (done_early_.erase(mid) != 0) {
    if (counted) ++confirmed_;
    return true;
  }
  pending_[mid] = {qos, counted};
  in_flight_ = static_cast<int64_t>(pending_.size());
  return true;
}

std::vector<ReceivedMessage> BrokerConnection::Received() {
  std::lock_guard<std::mutex> lock(mutex_);
  return std::exchange(received_, {});
}

void BrokerConnection::OnConnect(mosquitto* mosq, void* self, int rc, int, const mqtt5__property*) {
  auto* c = static_cast<BrokerConnection*>(self);
  if (rc != 0) {
    std::lock_guard<std::mutex> lock(c->mutex_);
    (Passing(rc) ? c->attempt_refusal_ : c->refusal_) = mosquitto_reason_string(rc);
    return;
  }
  std::vector<std::string> topics = c->options_.more_subscriptions;
  if (!c->options_.subscription.empty()) topics.push_back(c->options_.subscription);
  {
    std::lock_guard<std::mutex> lock(c->mutex_);
    c->subscribing_.clear();  // those of an earlier connection
  }
  for (const std::string& topic : topics) {
    int mid = 0;
    // Retain as published: a retained command is known as such also live.
    // No local: the answers this client publishes under the subscription
    // do not come back to it.
    if (mosquitto_subscribe_v5(mosq, &mid, topic.c_str(), 1, MQTT_SUB_OPT_RETAIN_AS_PUBLISHED | MQTT_SUB_OPT_NO_LOCAL,
                               nullptr) ==
        MOSQ_ERR_SUCCESS) {
      std::lock_guard<std::mutex> lock(c->mutex_);
      c->subscribing_[mid] = topic;
    }
  }
  {
    // QoS 1 messages in flight are sent again by the library; QoS 0 ones
    // not written before the last connection ended are gone.
    std::lock_guard<std::mutex> lock(c->mutex_);
    for (auto it = c->pending_.begin(); it != c->pending_.end();) {
      if (it->second.qos > 0) {
        ++it;
        continue;
      }
      if (it->second.counted) ++c->unsent_;
      it = c->pending_.erase(it);
    }
    c->done_early_.clear();
    c->in_flight_ = static_cast<int64_t>(c->pending_.size());
    c->connected_at_ = Clock::now();
  }
  ++c->connections_;
  c->connected_ = true;
}

void BrokerConnection::OnDisconnect(mosquitto*, void* self, int, const mqtt5__property*) {
  static_cast<BrokerConnection*>(self)->connected_ = false;
}

void BrokerConnection::OnPublish(mosquitto*, void* self, int mid) {
  auto* c = static_cast<BrokerConnection*>(self);
  std::lock_guard<std::mutex> lock(c->mutex_);
  auto it = c->pending_.find(mid);
  if (it == c->pending_.end()) {
    c->done_early_.insert(mid);
    return;
  }
  if (it->second.counted) ++c->confirmed_;
  c->pending_.erase(it);
  c->in_flight_ = static_cast<int64_t>(c->pending_.size());
}

void BrokerConnection::OnSubscribe(mosquitto*, void* self, int mid, int count, const int* granted,
                                   const mqtt5__property*) {
  auto* c = static_cast<BrokerConnection*>(self);
  std::string topic;
  {
    std::lock_guard<std::mutex> lock(c->mutex_);
    if (auto it = c->subscribing_.find(mid); it != c->subscribing_.end()) {
      topic = it->second;
      c->subscribing_.erase(it);
    }
  }
  if (count >= 1 && granted[0] >= 0x80)
    c->Notice("the broker refused the subscription to " + topic + " (" + mosquitto_reason_string(granted[0]) +
                  "): no write can arrive",
              /*for_errors_topic=*/true);
}

void BrokerConnection::OnMessage(mosquitto*, void* self, const mosquitto_message* message) {
  auto* c = static_cast<BrokerConnection*>(self);
  std::lock_guard<std::mutex> lock(c->mutex_);
  if (c->received_.size() >= kMaxReceived) {
    ++c->dropped_received_;
    return;
  }
  const auto size = static_cast<std::size_t>(message->payloadlen);
  c->received_.push_back({message->topic ? message->topic : "",
                          std::string(static_cast<const char*>(message->payload),
                                      std::min(size, c->options_.kept_bytes)),
                          size,
                          message->retain});
}

}  // namespace quorsma::tool::mqtt
