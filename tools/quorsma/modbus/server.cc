#include "server.h"

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cerrno>
#include <cstdarg>
#include <cstdio>
#include <cstring>
#include <list>
#include <system_error>
#include <memory>
#include <mutex>
#include <thread>
#include <utility>
#include <vector>

#include "quorsma/client.h"
#include "request_reader.h"
#include "socket_system.h"

namespace quorsma::tool::modbus {
namespace {

using Clock = std::chrono::steady_clock;

std::mutex g_output_lock;

void Say(const char* format, ...) __attribute__((format(printf, 1, 2)));
void Say(const char* format, ...) {
  std::lock_guard<std::mutex> hold(g_output_lock);
  va_list args;
  va_start(args, format);
  std::vfprintf(stdout, format, args);
  va_end(args);
  std::fputc('\n', stdout);
  std::fflush(stdout);
}

int64_t NowMs() {
  return std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now().time_since_epoch()).count();
}

struct Client {
  // kIdle: waiting for a request, the place may be given away; kBusy: a
  // request is arriving or being answered; kEvicted: its place went to a new
  // connection.  The connection's thread moves kIdle to kBusy and back, the
  // accepting thread kIdle to kEvicted.
  enum State { kIdle, kBusy, kEvicted };
  int fd = -1;  // -1 once the connection's thread has closed it
  std::string peer;
  std::thread thread;
  std::atomic<int> state{kIdle};
  std::atomic<int64_t> idle_since_ms{0};
  std::atomic<bool> done{false};
};

class Server {
 public:
  Server(const ServerOptions& options, MH_SHARED_STRUCTURE* image, const AddressMap& map,
         const WritePermission& allow_write)
      : options_(options),
        image_(image),
        map_(map),
        allow_write_(allow_write),
        request_timeout_ms_(1000 * std::min(options.request_timeout_seconds, options.idle_timeout_seconds)) {}

  int Run();

 private:
  void Serve(Client* client);
  // The reason the connection must close, or empty to go on serving.
  std::string Answer(modbus_t* context, int fd, RequestHandler* handler, modbus_mapping_t* scratch,
                     const uint8_t* request, int length, const std::string& peer);
  void Close(Client* client);
  void ReapFinished();
  std::size_t Connected();
  // Gives the place of the connection idle the longest, if idle for the
  // request timeout, to a new connection: shuts it down and returns its
  // peer's name; empty when no connection is idle for that long.
  std::string Evict();

  const ServerOptions& options_;
  MH_SHARED_STRUCTURE* image_;
  const AddressMap& map_;
  const WritePermission& allow_write_;
  const int request_timeout_ms_;  // the request timeout, or the idle timeout when shorter
  std::mutex write_lock_;
  std::mutex clients_lock_;
  std::list<std::unique_ptr<Client>> clients_;
};

// An exception answer to `request`: its function code with the top bit set
// (codes from 0x80 on have it already and are echoed as they are).
bool SendException(int fd, const uint8_t* request, int code) {
  const uint8_t answer[9] = {request[0], request[1], 0, 0, 0, 3, request[6],
                             static_cast<uint8_t>(request[kHeaderLength] | 0x80), static_cast<uint8_t>(code)};
  return SendAll(fd, answer, sizeof answer);
}

std::string Server::Answer(modbus_t* context, int fd, RequestHandler* handler, modbus_mapping_t* scratch,
                           const uint8_t* request, int length, const std::string& peer) {
  const int function = request[kHeaderLength];
  RequestSummary summary{function, 0, 0, 0};
  bool sent = false;
  // libmodbus on Windows leaves errno as it was when a send fails: start from
  // no error, so that the reason given is never an older one.
  errno = 0;
  if (options_.unit_id >= 0 && request[6] != options_.unit_id) {
    summary.exception = MODBUS_EXCEPTION_GATEWAY_TARGET;
  } else if (!IsServedFunction(function)) {
    summary.exception = MODBUS_EXCEPTION_ILLEGAL_FUNCTION;
  } else if (handler->Handle(request, length, scratch, &summary) == 0) {
    sent = modbus_reply(context, request, length, scratch) >= 0;
  }
  if (summary.exception != 0) sent = SendException(fd, request, summary.exception);
  const int send_error = errno;
  if (options_.verbose)
    Say("%s unit %d fc %d address %d count %d: %s", peer.c_str(), request[6], summary.function, summary.address,
        summary.count, summary.exception == 0 ? "ok" : ExceptionName(summary.exception).c_str());
  if (!sent)
    return std::string("cannot send the answer: ") +
           (send_error != 0 ? modbus_strerror(send_error) : "the connection failed");
  return {};
}

void Server::Serve(Client* client) {
  std::string reason = "closed by the client";
  modbus_t* context = modbus_new_tcp("127.0.0.1", 0);
  modbus_mapping_t* scratch = modbus_mapping_new(65536, 65536, 65536, 65536);
  if (context == nullptr || scratch == nullptr) {
    reason = "out of memory";
  } else {
    modbus_set_socket(context, client->fd);
    RequestHandler handler(image_, &map_, allow_write_, &write_lock_);
    uint8_t request[kMaxFrameLength];
    const auto begin = [client] {
      int idle = Client::kIdle;
      return client->state.compare_exchange_strong(idle, Client::kBusy);
    };
    for (;;) {
      const Reception got =
          ReceiveRequest(client->fd, options_.idle_timeout_seconds * 1000, request_timeout_ms_, request, begin);
      if (got.outcome != Reception::kRequest) {
        if (client->state == Client::kEvicted)
          reason = "its place went to a new client (idle while every place was taken)";
        else if (options_.stop_requested()) reason = "the server stops";
        else if (got.outcome == Reception::kIdle) reason = "idle timeout";
        else if (got.outcome == Reception::kTooSlow)
          reason = "request not whole within " + std::to_string(request_timeout_ms_ / 1000) + " s";
        else if (got.outcome != Reception::kClosed) reason = got.reason;
        break;
      }
      const std::string why = Answer(context, client->fd, &handler, scratch, request, got.length, client->peer);
      if (!why.empty()) {
        reason = why;
        break;
      }
      client->idle_since_ms = NowMs();
      client->state = Client::kIdle;
    }
    modbus_set_socket(context, -1);
  }
  if (scratch != nullptr) modbus_mapping_free(scratch);
  if (context != nullptr) modbus_free(context);
  Close(client);
  Say("%s disconnected: %s", client->peer.c_str(), reason.c_str());
  client->done = true;
}

void Server::Close(Client* client) {
  std::lock_guard<std::mutex> hold(clients_lock_);
  CloseSocket(client->fd);
  client->fd = -1;
}

void Server::ReapFinished() {
  std::lock_guard<std::mutex> hold(clients_lock_);
  for (auto it = clients_.begin(); it != clients_.end();) {
    if ((*it)->done) {
      (*it)->thread.join();
      it = clients_.erase(it);
    } else {
      ++it;
    }
  }
}

std::size_t Server::Connected() {
  std::lock_guard<std::mutex> hold(clients_lock_);
  std::size_t n = 0;
  for (const auto& client : clients_) n += client->fd >= 0 && client->state != Client::kEvicted ? 1 : 0;
  return n;
}

std::string Server::Evict() {
  std::lock_guard<std::mutex> hold(clients_lock_);
  std::vector<std::pair<int64_t, Client*>> idle;  // idle since, oldest first
  const int64_t latest = NowMs() - request_timeout_ms_;
  for (const auto& client : clients_) {
    const int64_t since = client->idle_since_ms;
    if (client->fd >= 0 && client->state == Client::kIdle && since <= latest) idle.emplace_back(since, client.get());
  }
  std::sort(idle.begin(), idle.end());
  for (const auto& [since, client] : idle) {
    int expected = Client::kIdle;  // a request may have begun meanwhile
    if (!client->state.compare_exchange_strong(expected, Client::kEvicted)) continue;
    ShutdownSocket(client->fd);
    return client->peer;
  }
  return {};
}

int Server::Run() {
  PrepareSockets();
  std::string listen_error;
  const int listen_fd = ListenTcp(options_.host, options_.port, 64, &listen_error);
  const std::string where = options_.host + ":" + std::to_string(options_.port);
  if (listen_fd < 0) {
    std::fprintf(stderr, "quorsma: error: cannot listen on %s: %s\n", where.c_str(), listen_error.c_str());
    return 1;
  }
  const int port = BoundPort(listen_fd);
  Say("listening on %s:%d", options_.host.c_str(), port);
  // Ready for a service manager that waits for it (Type=notify); nothing is
  // sent when the program was started by hand.
  client::ServiceNotify("READY=1\nSTATUS=listening on " + options_.host + ":" + std::to_string(port));

  while (!options_.stop_requested()) {
    const bool ready = WaitReadable(listen_fd, 200);
    client::ServiceAlive();
    ReapFinished();
    if (!ready) continue;
    std::string name;
    const int fd = AcceptConnection(listen_fd, &name);
    if (fd < 0) continue;
    if (Connected() >= static_cast<std::size_t>(options_.max_clients)) {
      const std::string evicted = Evict();
      if (evicted.empty()) {
        CloseSocket(fd);
        Say("%s refused: %d clients are connected (--max-clients)", name.c_str(), options_.max_clients);
        continue;
      }
      Say("%s takes the place of %s, idle while every place was taken", name.c_str(), evicted.c_str());
    }
    // A client that sends requests but never reads the answers would block
    // its thread in send() for good once the buffers fill: give up after
    // the request timeout instead.
    PrepareConnection(fd, request_timeout_ms_);
    auto client = std::make_unique<Client>();
    client->fd = fd;
    client->peer = name;
    client->idle_since_ms = NowMs();
    Client* raw = client.get();
    Say("%s connected", name.c_str());
    try {
      raw->thread = std::thread([this, raw] { Serve(raw); });
    } catch (const std::system_error& error) {
      CloseSocket(fd);
      Say("%s disconnected: no thread to serve it (%s)", name.c_str(), error.what());
      continue;
    }
    std::lock_guard<std::mutex> hold(clients_lock_);
    clients_.push_back(std::move(client));
  }
  CloseSocket(listen_fd);
  {
    std::lock_guard<std::mutex> hold(clients_lock_);
    for (const auto& client : clients_)
      if (client->fd >= 0) ShutdownSocket(client->fd);
  }
  for (const auto& client : clients_) client->thread.join();
  clients_.clear();
  Say("stopped");
  return 0;
}

}  // namespace

int RunServer(const ServerOptions& options, MH_SHARED_STRUCTURE* image, const AddressMap& map,
              const WritePermission& allow_write) {
  Server server(options, image, map, allow_write);
  return server.Run();
}

}  // namespace quorsma::tool::modbus
