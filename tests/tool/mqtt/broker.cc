#include "broker.h"

#include <arpa/inet.h>
#include <mosquitto.h>
#include <netinet/in.h>
#include <pwd.h>
#include <signal.h>
#include <spawn.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <stdexcept>
#include <thread>

extern char** environ;

namespace quorsma::tool::mqtt::testing {
namespace {

using namespace std::chrono_literals;

sockaddr_in Loopback(int port) {
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_port = htons(static_cast<uint16_t>(port));
  address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  return address;
}

int FreePort() {
  int fd = socket(AF_INET, SOCK_STREAM, 0);
  sockaddr_in address = Loopback(0);
  socklen_t size = sizeof address;
  if (bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0 ||
      getsockname(fd, reinterpret_cast<sockaddr*>(&address), &size) != 0) {
    close(fd);
    throw std::runtime_error("no free port");
  }
  close(fd);
  return ntohs(address.sin_port);
}

bool Accepts(int port) {
  int fd = socket(AF_INET, SOCK_STREAM, 0);
  sockaddr_in address = Loopback(port);
  const bool ok = connect(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0;
  close(fd);
  return ok;
}

}  // namespace

Broker::Broker(std::string extra, const std::function<void(const std::string& dir)>& prepare) {
  char pattern[] = "/tmp/quorsma-mqtt-test-XXXXXX";
  if (mkdtemp(pattern) == nullptr) throw std::runtime_error("mkdtemp");
  dir_ = pattern;
  port_ = FreePort();
  for (std::size_t at; (at = extra.find("DIR")) != std::string::npos;) extra.replace(at, 3, dir_);
  if (prepare) prepare(dir_);
  std::ofstream(dir_ + "/mosquitto.conf") << "listener " << port_ << " 127.0.0.1\n"
                                          << "persistence true\npersistence_location " << dir_ << "/\n"
                                          << "log_dest file " << dir_ << "/broker.log\n"
                                          << "user " << getpwuid(getuid())->pw_name << "\n"
                                          << (extra.empty() ? "allow_anonymous true\n" : extra);
  Start();
}

Broker::~Broker() {
  Stop();
  std::error_code ignored;
  std::filesystem::remove_all(dir_, ignored);
}

void Broker::Start() {
  const std::string config = dir_ + "/mosquitto.conf";
  char* argv[] = {const_cast<char*>("mosquitto"), const_cast<char*>("-c"), const_cast<char*>(config.c_str()), nullptr};
  if (posix_spawnp(&pid_, "mosquitto", nullptr, nullptr, argv, environ) != 0) throw std::runtime_error("mosquitto");
  for (int i = 0; i < 500 && !Accepts(port_); ++i) std::this_thread::sleep_for(10ms);
}

void Broker::Kill() {
  if (pid_ <= 0) return;
  kill(pid_, SIGKILL);
  waitpid(pid_, nullptr, 0);
  pid_ = -1;
}

void Broker::Stop() {
  if (pid_ <= 0) return;
  kill(pid_, SIGTERM);
  int status = 0;
  for (int i = 0; i < 500 && waitpid(pid_, &status, WNOHANG) == 0; ++i) std::this_thread::sleep_for(10ms);
  if (waitpid(pid_, &status, WNOHANG) == 0) {
    kill(pid_, SIGKILL);
    waitpid(pid_, &status, 0);
  }
  pid_ = -1;
}

Subscriber::Subscriber(int port, const std::string& topic, const std::string& client_id) : topic_(topic) {
  mosquitto_lib_init();
  mosq_ = mosquitto_new(client_id.empty() ? nullptr : client_id.c_str(), client_id.empty(), this);
  mosquitto_connect_callback_set(mosq_, OnConnect);
  mosquitto_message_callback_set(mosq_, OnMessage);
  mosquitto_subscribe_callback_set(mosq_, OnSubscribe);
  mosquitto_reconnect_delay_set(mosq_, 1, 1, false);
  mosquitto_connect_async(mosq_, "127.0.0.1", port, 60);
  mosquitto_loop_start(mosq_);
  // Subscribed once the broker has answered the subscription.
  for (int i = 0; i < 100 && subscribed_ == 0; ++i) std::this_thread::sleep_for(20ms);
}

Subscriber::~Subscriber() {
  mosquitto_disconnect(mosq_);
  mosquitto_loop_stop(mosq_, /*force=*/true);
  mosquitto_destroy(mosq_);
}

void Subscriber::OnConnect(mosquitto* mosq, void* self, int rc) {
  auto* s = static_cast<Subscriber*>(self);
  if (rc == 0) mosquitto_subscribe(mosq, nullptr, s->topic_.c_str(), 1);
}

void Subscriber::OnSubscribe(mosquitto*, void* self, int, int, const int*) {
  ++static_cast<Subscriber*>(self)->subscribed_;
}

void Subscriber::OnMessage(mosquitto*, void* self, const mosquitto_message* message) {
  auto* s = static_cast<Subscriber*>(self);
  std::lock_guard<std::mutex> lock(s->mutex_);
  s->messages_.push_back({message->topic,
                          std::string(static_cast<const char*>(message->payload),
                                      static_cast<std::size_t>(message->payloadlen)),
                          message->retain, std::chrono::steady_clock::now()});
  s->arrived_.notify_all();
}

bool Subscriber::WaitFor(const std::function<bool(const std::vector<Message>&)>& done,
                         std::chrono::milliseconds timeout) {
  std::unique_lock<std::mutex> lock(mutex_);
  return arrived_.wait_for(lock, timeout, [&] { return done(messages_); });
}

std::vector<Message> Subscriber::On(const std::string& topic) {
  std::lock_guard<std::mutex> lock(mutex_);
  std::vector<Message> out;
  for (const Message& m : messages_)
    if (m.topic == topic) out.push_back(m);
  return out;
}

void Subscriber::Publish(const std::string& topic, const std::string& payload, bool retain) {
  mosquitto_publish(mosq_, nullptr, topic.c_str(), static_cast<int>(payload.size()), payload.data(), 1, retain);
}

}  // namespace quorsma::tool::mqtt::testing
