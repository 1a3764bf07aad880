#include "server.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <sys/socket.h>
#include <sys/time.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <csignal>
#include <cstdarg>
#include <cstdio>
#include <cstring>
#include <list>
#include <system_error>
#include <memory>
#include <mutex>
#include <thread>

#include "terminal.h"

namespace quorsma::tool::modbus {
namespace {

constexpr int kHeaderLength = 7;
constexpr int kMaxFrameLength = MODBUS_TCP_MAX_ADU_LENGTH;  // 260: header and a PDU of 253 bytes

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

std::string PeerName(const sockaddr_in& address) {
  char text[INET_ADDRSTRLEN] = "?";
  inet_ntop(AF_INET, &address.sin_addr, text, sizeof text);
  return std::string(text) + ":" + std::to_string(ntohs(address.sin_port));
}

struct Client {
  int fd = -1;  // -1 once the connection's thread has closed it
  std::string peer;
  std::thread thread;
  std::atomic<bool> done{false};
};

class Server {
 public:
  Server(const ServerOptions& options, MH_SHARED_STRUCTURE* image, const AddressMap& map,
         const WritePermission& allow_write)
      : options_(options), image_(image), map_(map), allow_write_(allow_write) {}

  int Run();

 private:
  void Serve(Client* client);
  // The reason the connection must close, or empty to go on serving.
  std::string Answer(modbus_t* context, int fd, RequestHandler* handler, modbus_mapping_t* scratch,
                     const uint8_t* request, int length, const std::string& peer);
  bool Drain(int fd, int bytes);
  void Close(Client* client);
  void ReapFinished();
  std::size_t Connected();

  const ServerOptions& options_;
  MH_SHARED_STRUCTURE* image_;
  const AddressMap& map_;
  const WritePermission& allow_write_;
  std::mutex write_lock_;
  std::mutex clients_lock_;
  std::list<std::unique_ptr<Client>> clients_;
};

int Get16(const uint8_t* p) { return (p[0] << 8) | p[1]; }

bool Server::Drain(int fd, int bytes) {
  uint8_t sink[kMaxFrameLength];
  while (bytes > 0) {
    pollfd p{fd, POLLIN, 0};
    if (poll(&p, 1, options_.idle_timeout_seconds * 1000) <= 0) return false;
    const ssize_t n = recv(fd, sink, std::min<std::size_t>(sizeof sink, bytes), 0);
    if (n <= 0) return false;
    bytes -= static_cast<int>(n);
  }
  return true;
}

std::string Server::Answer(modbus_t* context, int fd, RequestHandler* handler, modbus_mapping_t* scratch,
                           const uint8_t* request, int length, const std::string& peer) {
  // libmodbus frames a request by its function code; the header must agree.
  const int protocol = Get16(request + 2);
  const int announced = Get16(request + 4);  // unit id and PDU
  if (protocol != 0) return "malformed frame: protocol id " + std::to_string(protocol);
  if (announced < 2 || announced > kMaxFrameLength - 6)
    return "malformed frame: length field " + std::to_string(announced);
  const int function = request[kHeaderLength];
  const bool served = IsServedFunction(function);
  if (6 + announced != length) {
    // An unknown function: libmodbus read only its code; the rest of the
    // frame is what the header announces.
    if (served || 6 + announced < length) return "malformed frame: length field " + std::to_string(announced) +
                                                  " for a frame of " + std::to_string(length - 6) + " bytes";
    if (!Drain(fd, 6 + announced - length)) return "incomplete frame";
  }
  RequestSummary summary{function, 0, 0, 0};
  int rc = 0;
  if (options_.unit_id >= 0 && request[6] != options_.unit_id) {
    summary.exception = MODBUS_EXCEPTION_GATEWAY_TARGET;
    rc = modbus_reply_exception(context, request, summary.exception);
  } else if (!served) {
    summary.exception = MODBUS_EXCEPTION_ILLEGAL_FUNCTION;
    rc = modbus_reply_exception(context, request, summary.exception);
  } else {
    const int code = handler->Handle(request, length, scratch, &summary);
    rc = code == 0 ? modbus_reply(context, request, length, scratch) : modbus_reply_exception(context, request, code);
  }
  if (options_.verbose)
    Say("%s unit %d fc %d address %d count %d: %s", peer.c_str(), request[6], summary.function, summary.address,
        summary.count, summary.exception == 0 ? "ok" : ExceptionName(summary.exception).c_str());
  if (rc < 0) return std::string("cannot send the answer: ") + modbus_strerror(errno);
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
    const uint32_t idle = static_cast<uint32_t>(options_.idle_timeout_seconds);
    modbus_set_indication_timeout(context, idle, 0);  // nothing received
    modbus_set_byte_timeout(context, idle, 0);        // the rest of a frame
    RequestHandler handler(image_, &map_, allow_write_, &write_lock_);
    uint8_t request[kMaxFrameLength];
    for (;;) {
      const int length = modbus_receive(context, request);
      if (length < 0) {
        if (StopRequested()) reason = "the server stops";
        else if (errno == ETIMEDOUT) reason = "idle timeout";
        else if (errno == EMBBADDATA) reason = "malformed frame";
        else if (errno != ECONNRESET && errno != 0) reason = modbus_strerror(errno);
        break;
      }
      if (length == 0) continue;  // nothing to answer
      if (length < kHeaderLength + 1) {
        reason = "malformed frame";
        break;
      }
      std::string why = Answer(context, client->fd, &handler, scratch, request, length, client->peer);
      if (!why.empty()) {
        reason = why;
        break;
      }
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
  close(client->fd);
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
  for (const auto& client : clients_) n += client->fd >= 0 ? 1 : 0;
  return n;
}

int Server::Run() {
  modbus_t* listener = modbus_new_tcp(options_.host.c_str(), options_.port);
  const int listen_fd = listener == nullptr ? -1 : modbus_tcp_listen(listener, 64);
  const std::string where = options_.host + ":" + std::to_string(options_.port);
  if (listen_fd < 0) {
    std::fprintf(stderr, "quorsma: error: cannot listen on %s: %s\n", where.c_str(), modbus_strerror(errno));
    if (listener != nullptr) modbus_free(listener);
    return 1;
  }
  sockaddr_in bound{};
  socklen_t bound_length = sizeof bound;
  getsockname(listen_fd, reinterpret_cast<sockaddr*>(&bound), &bound_length);
  Say("listening on %s:%d", options_.host.c_str(), ntohs(bound.sin_port));

  std::signal(SIGPIPE, SIG_IGN);
  InstallStopHandler();
  while (!StopRequested()) {
    pollfd p{listen_fd, POLLIN, 0};
    const int ready = poll(&p, 1, 200);
    ReapFinished();
    if (ready <= 0) continue;
    sockaddr_in peer{};
    socklen_t peer_length = sizeof peer;
    const int fd = accept4(listen_fd, reinterpret_cast<sockaddr*>(&peer), &peer_length, SOCK_CLOEXEC);
    if (fd < 0) continue;
    const std::string name = PeerName(peer);
    if (Connected() >= static_cast<std::size_t>(options_.max_clients)) {
      close(fd);
      Say("%s refused: %d clients are connected (--max-clients)", name.c_str(), options_.max_clients);
      continue;
    }
    const int on = 1;
    setsockopt(fd, IPPROTO_TCP, TCP_NODELAY, &on, sizeof on);
    // A client that sends requests but never reads the answers would block
    // its thread in send() for good once the buffers fill: give up after
    // the idle timeout instead.
    const timeval send_timeout{options_.idle_timeout_seconds, 0};
    setsockopt(fd, SOL_SOCKET, SO_SNDTIMEO, &send_timeout, sizeof send_timeout);
    auto client = std::make_unique<Client>();
    client->fd = fd;
    client->peer = name;
    Client* raw = client.get();
    Say("%s connected", name.c_str());
    try {
      raw->thread = std::thread([this, raw] { Serve(raw); });
    } catch (const std::system_error& error) {
      close(fd);
      Say("%s disconnected: no thread to serve it (%s)", name.c_str(), error.what());
      continue;
    }
    std::lock_guard<std::mutex> hold(clients_lock_);
    clients_.push_back(std::move(client));
  }
  close(listen_fd);
  modbus_free(listener);
  {
    std::lock_guard<std::mutex> hold(clients_lock_);
    for (const auto& client : clients_)
      if (client->fd >= 0) shutdown(client->fd, SHUT_RDWR);
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
