#include "broker_connection.h"

#include <mosquitto.h>

namespace quorsma::tool::mqtt {
namespace {

constexpr unsigned kFirstDelay = 1;   // seconds before the first reconnect
constexpr unsigned kLongestDelay = 30;

std::once_flag g_library_once;

std::string ErrorText(int rc) {
  return rc == MOSQ_ERR_ERRNO ? std::string(mosquitto_strerror(rc)) + " (system error)" : mosquitto_strerror(rc);
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
  mosq_ = mosquitto_new(o.client_id.c_str(), /*clean_session=*/true, this);
  if (mosq_ == nullptr) {
    *error = "cannot set up the MQTT client";
    return false;
  }
  mosquitto_int_option(mosq_, MOSQ_OPT_PROTOCOL_VERSION, MQTT_PROTOCOL_V311);
  mosquitto_connect_callback_set(mosq_, OnConnect);
  mosquitto_disconnect_callback_set(mosq_, OnDisconnect);
  mosquitto_publish_callback_set(mosq_, OnPublish);
  mosquitto_message_callback_set(mosq_, OnMessage);
  mosquitto_reconnect_delay_set(mosq_, kFirstDelay, kLongestDelay, /*exponential=*/true);
  subscription_ = o.subscription;
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
                            o.will_payload.data(), 1, true);
    if (rc != MOSQ_ERR_SUCCESS) {
      *error = "will message: " + ErrorText(rc);
      return false;
    }
  }
  // A broker that is not there yet is retried by the network thread.
  rc = mosquitto_connect_async(mosq_, o.host.c_str(), o.port, o.keepalive);
  if (rc == MOSQ_ERR_INVAL) {
    *error = "broker address " + o.host + ":" + std::to_string(o.port) + ": " + ErrorText(rc);
    return false;
  }
  rc = mosquitto_loop_start(mosq_);
  if (rc != MOSQ_ERR_SUCCESS) {
    *error = "cannot start the MQTT network thread: " + ErrorText(rc);
    return false;
  }
  loop_started_ = true;
  return true;
}

void BrokerConnection::Stop() {
  if (mosq_ == nullptr || !loop_started_) return;
  // A clean disconnect lets the network thread send it and end; without a
  // connection the thread would go on reconnecting, so it is cancelled.
  const bool clean = connected_ && mosquitto_disconnect(mosq_) == MOSQ_ERR_SUCCESS;
  mosquitto_loop_stop(mosq_, /*force=*/!clean);
  loop_started_ = false;
  connected_ = false;
}

std::string BrokerConnection::refusal() const {
  std::lock_guard<std::mutex> lock(mutex_);
  return refusal_;
}

bool BrokerConnection::Publish(const std::string& topic, const std::string& payload, int qos, bool retain) {
  if (!connected_) return false;
  int rc = mosquitto_publish(mosq_, nullptr, topic.c_str(), static_cast<int>(payload.size()), payload.data(), qos,
                             retain);
  if (rc != MOSQ_ERR_SUCCESS) return false;
  ++in_flight_;
  return true;
}

std::vector<std::pair<std::string, std::string>> BrokerConnection::Received() {
  std::lock_guard<std::mutex> lock(mutex_);
  return std::exchange(received_, {});
}

void BrokerConnection::OnConnect(mosquitto* mosq, void* self, int rc) {
  auto* c = static_cast<BrokerConnection*>(self);
  if (rc != 0) {
    // Credentials and client ids do not get better by retrying.
    std::lock_guard<std::mutex> lock(c->mutex_);
    c->refusal_ = mosquitto_connack_string(rc);
    return;
  }
  if (!c->subscription_.empty()) mosquitto_subscribe(mosq, nullptr, c->subscription_.c_str(), 1);
  c->in_flight_ = 0;  // what was in flight is the library's to send again
  ++c->connections_;
  c->connected_ = true;
}

void BrokerConnection::OnDisconnect(mosquitto*, void* self, int) {
  static_cast<BrokerConnection*>(self)->connected_ = false;
}

void BrokerConnection::OnPublish(mosquitto*, void* self, int) {
  auto* c = static_cast<BrokerConnection*>(self);
  if (c->in_flight_ > 0) --c->in_flight_;
}

void BrokerConnection::OnMessage(mosquitto*, void* self, const mosquitto_message* message) {
  auto* c = static_cast<BrokerConnection*>(self);
  std::lock_guard<std::mutex> lock(c->mutex_);
  c->received_.emplace_back(message->topic ? message->topic : "",
                            std::string(static_cast<const char*>(message->payload),
                                        static_cast<std::size_t>(message->payloadlen)));
}

}  // namespace quorsma::tool::mqtt
