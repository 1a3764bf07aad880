#include "api_server.h"

#include <microhttpd.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstring>
#include <memory>
#include <optional>
#include <thread>
#include <vector>

#include "event_stream.h"
#include "request_head.h"
#include "server_limits.h"
#include "socket_system.h"

namespace quorsma::tool::http {

using Clock = std::chrono::steady_clock;

namespace {

// Lines of the value-change log a new event stream starts with.
constexpr std::size_t kLogBacklog = 100;
// The size of the pieces the library asks an event stream for.
constexpr std::size_t kStreamBlockBytes = 16 * 1024;

// What a request holds from its request line to its answer.
struct Request {
  explicit Request(std::string raw_target) : target(std::move(raw_target)) {}
  std::string target;  // as sent
  bool examined = false;
  std::optional<Answer> answer;  // decided from the head
  bool stream = false;           // an event stream to open
  enum class Write { kNone, kDevices, kComments } write = Write::kNone;
  std::size_t limit = kMaxBodyBytes;
  bool form = false;  // sent as form data
  std::size_t received = 0;
  std::string body;   // while within the limit
};

// One event stream's state, read by the library through its content reader.
struct Stream {
  Stream(ApiServer* s, MHD_Connection* c, EventStream e) : server(s), connection(c), events(std::move(e)) {}
  ApiServer* server;
  MHD_Connection* connection;
  EventStream events;
  bool started = false;
  Clock::time_point next, last_sent;
  std::string pending;  // a piece not yet taken in full
  std::size_t sent = 0;
  Clock::time_point pending_since;
};

// One answer's text, freed with the answer.
struct HeldAnswer {
  std::string body;
  std::atomic<std::size_t>* held;
};

bool IsKnownMethod(std::string_view method) {
  for (const char* known : {"GET", "HEAD", "POST", "PUT", "DELETE", "CONNECT", "OPTIONS", "TRACE", "PATCH"})
    if (method == known) return true;
  return false;
}

// The Content-Length of a request (which the library has checked to be a
// number), or 0.
unsigned long long AnnouncedLength(const HeaderLines& lines) {
  return std::strtoull(std::string(HeaderValue(lines, "Content-Length")).c_str(), nullptr, 10);
}

std::string BodyLimitReason(bool form) {
  // Form data (curl's default type for -d) is taken up to a smaller size.
  if (form)
    return "a body sent as form data is taken up to " + std::to_string(kMaxFormBodyBytes) +
           " bytes; send it as application/json";
  return StatusReason(413);
}

}  // namespace

// The callbacks of the library, with access to the server.
struct ServerGlue {
  static ConnectionGuard::Entry* EntryOf(MHD_Connection* c) {
    const MHD_ConnectionInfo* info = MHD_get_connection_info(c, MHD_CONNECTION_INFO_SOCKET_CONTEXT);
    return info == nullptr ? nullptr : static_cast<ConnectionGuard::Entry*>(info->socket_context);
  }

  static MHD_Result Accept(void* cls, const sockaddr* address, socklen_t) {
    auto* server = static_cast<ApiServer*>(cls);
    return server->guard_.Admit(AddressKey(address), Clock::now()) ? MHD_YES : MHD_NO;
  }

  // "127.0.0.1" or "::1", for the change pane.
  static std::string ClientAddressText(MHD_Connection* c) {
    const MHD_ConnectionInfo* peer = MHD_get_connection_info(c, MHD_CONNECTION_INFO_CLIENT_ADDRESS);
    if (peer == nullptr || peer->client_addr == nullptr) return {};
    char text[INET6_ADDRSTRLEN] = "";
    const sockaddr* a = peer->client_addr;
    if (a->sa_family == AF_INET)
      inet_ntop(AF_INET, &reinterpret_cast<const sockaddr_in*>(a)->sin_addr, text, sizeof text);
    else if (a->sa_family == AF_INET6)
      inet_ntop(AF_INET6, &reinterpret_cast<const sockaddr_in6*>(a)->sin6_addr, text, sizeof text);
    return text;
  }

  static void Connection(void* cls, MHD_Connection* c, void** socket_context, MHD_ConnectionNotificationCode code) {
    auto* server = static_cast<ApiServer*>(cls);
    if (code == MHD_CONNECTION_NOTIFY_STARTED) {
      const MHD_ConnectionInfo* fd = MHD_get_connection_info(c, MHD_CONNECTION_INFO_CONNECTION_FD);
      const MHD_ConnectionInfo* peer = MHD_get_connection_info(c, MHD_CONNECTION_INFO_CLIENT_ADDRESS);
      *socket_context = server->guard_.Opened(fd->connect_fd, AddressKey(peer->client_addr), Clock::now());
    } else if (*socket_context != nullptr) {
      server->guard_.Closed(static_cast<ConnectionGuard::Entry*>(*socket_context));
      *socket_context = nullptr;
    }
  }

  static void* RequestLine(void*, const char* uri, MHD_Connection*) { return new Request(uri); }

  static void Completed(void* cls, MHD_Connection* c, void** request, MHD_RequestTerminationCode) {
    delete static_cast<Request*>(*request);
    *request = nullptr;
    // The connection waits for its next request, within the deadline again.
    if (ConnectionGuard::Entry* entry = EntryOf(c))
      static_cast<ApiServer*>(cls)->guard_.Enter(entry, ConnectionGuard::Phase::kWaiting, Clock::now());
  }

  static MHD_Result AddHeaderLine(void* cls, MHD_ValueKind, const char* key, size_t key_size, const char* value,
                                  size_t value_size) {
    static_cast<HeaderLines*>(cls)->emplace_back(std::string_view(key, key_size), std::string_view(value, value_size));
    return MHD_YES;
  }

  static void FreeAnswer(void* cls) {
    auto* answer = static_cast<HeldAnswer*>(cls);
    answer->held->fetch_sub(answer->body.size());
    delete answer;
  }

  static void AddCommonHeaders(MHD_Response* response, const char* type) {
    MHD_add_response_header(response, "Content-Type", type);
    MHD_add_response_header(response, "X-Content-Type-Options", "nosniff");
    MHD_add_response_header(response, "Cache-Control", "no-store");
    MHD_add_response_header(response, "Referrer-Policy", "no-referrer");
  }

  // Sends `answer`; `close` ends the connection after it.
  static MHD_Result Queue(ApiServer* server, MHD_Connection* c, Answer answer, bool close = false) {
    // Answers waiting to be taken are bounded together.
    const std::size_t size = answer.body.size();
    if (server->answer_bytes_.fetch_add(size) + size > kMaxAnswerBytesHeld) {
      server->answer_bytes_.fetch_sub(size);
      answer = Refuse(503, "the server is busy: answers of more than " + std::to_string(kMaxAnswerBytesHeld) +
                               " bytes wait to be taken");
      server->answer_bytes_.fetch_add(answer.body.size());
    }
    auto* held = new HeldAnswer{std::move(answer.body), &server->answer_bytes_};
    MHD_Response* response = MHD_create_response_from_buffer_with_free_callback_cls(
        held->body.size(), held->body.data(), &FreeAnswer, held);
    if (response == nullptr) {
      FreeAnswer(held);
      return MHD_NO;
    }
    AddCommonHeaders(response, answer.type);
    if (answer.page) {
      MHD_add_response_header(response, "Content-Security-Policy",
                              "default-src 'none'; script-src 'unsafe-inline'; style-src 'unsafe-inline'; "
                              "connect-src 'self'; img-src data:; base-uri 'none'; form-action 'none'; "
                              "frame-ancestors 'none'");
      MHD_add_response_header(response, "X-Frame-Options", "DENY");
    }
    if (close) MHD_add_response_header(response, "Connection", "close");
    const MHD_Result queued = MHD_queue_response(c, static_cast<unsigned>(answer.status), response);
    MHD_destroy_response(response);
    if (ConnectionGuard::Entry* entry = EntryOf(c))
      server->guard_.Enter(entry, ConnectionGuard::Phase::kAnswering, Clock::now());
    return queued;
  }

  static MHD_Result OpenStream(ApiServer* server, MHD_Connection* c, const Request* request, bool head) {
    std::vector<Operand> list;
    const std::string operands = QueryParameter(SplitTarget(request->target).query, "operands");
    if (auto refusal = server->handlers_.WatchList(operands, &list)) return Queue(server, c, *refusal);
    if (head) return Queue(server, c, Answer{200, "", "text/event-stream"});
    if (server->streams_.fetch_add(1) >= kMaxEventStreams) {
      server->streams_.fetch_sub(1);
      return Queue(server, c,
                   Refuse(503, "at most " + std::to_string(kMaxEventStreams) + " event streams are served at once"));
    }
    auto* stream = new Stream(server, c,
                              EventStream(server->image_, std::move(list),
                                          server->config_.collect || server->config_.writes_allowed
                                              ? server->feed_
                                              : nullptr));
    MHD_Response* response =
        MHD_create_response_from_callback(MHD_SIZE_UNKNOWN, kStreamBlockBytes, &ReadStream, stream, &FreeStream);
    if (response == nullptr) {
      FreeStream(stream);
      return MHD_NO;
    }
    // Event streams are UTF-8 by definition.
    AddCommonHeaders(response, "text/event-stream");
    const MHD_Result queued = MHD_queue_response(c, 200, response);
    MHD_destroy_response(response);
    if (ConnectionGuard::Entry* entry = EntryOf(c))
      server->guard_.Enter(entry, ConnectionGuard::Phase::kStreaming, Clock::now());
    return queued;
  }

  static void FreeStream(void* cls) {
    auto* stream = static_cast<Stream*>(cls);
    stream->server->streams_.fetch_sub(1);
    delete stream;
  }

  // The library asks for the next bytes of a stream: the rest of the piece
  // being sent, or the next piece when its step has come; else the stream
  // sleeps until its step.
  static ssize_t ReadStream(void* cls, uint64_t, char* buffer, size_t max) {
    auto* s = static_cast<Stream*>(cls);
    const Clock::time_point now = Clock::now();
    if (s->sent == s->pending.size()) {
      s->pending.clear();
      s->sent = 0;
      if (!s->started) {
        s->started = true;
        s->next = now + s->server->config_.interval;
        s->pending = "retry: 2000\n\n" + s->events.Start(kLogBacklog);
      } else if (now >= s->next) {
        // Steps keep their rhythm; a stream that fell behind skips ahead.
        s->next += s->server->config_.interval;
        if (s->next < now) s->next = now + s->server->config_.interval;
        s->pending = s->events.Next();
        if (s->pending.empty() && now - s->last_sent >= kKeepAlive) s->pending = ": keep-alive\n\n";
      }
      if (s->pending.empty())
        return s->server->waker_.Suspend(s->connection, s->next) ? 0 : MHD_CONTENT_READER_END_OF_STREAM;
      s->last_sent = now;
      s->pending_since = now;
    } else if (now - s->pending_since > kAnswerDeadline) {
      return MHD_CONTENT_READER_END_WITH_ERROR;  // a client that trickles
    }
    const std::size_t n = std::min(max, s->pending.size() - s->sent);
    std::memcpy(buffer, s->pending.data() + s->sent, n);
    s->sent += n;
    return static_cast<ssize_t>(n);
  }

  // The request's head is in: every check that needs no body.  Reads are
  // answered; a write that may go on returns nothing, to take its body.
  static std::optional<Answer> Examine(ApiServer* server, std::string_view method, Request* request,
                                       const HeaderLines& lines) {
    if (request->target.size() > kMaxTargetBytes) return Refuse(414, StatusReason(414));
    if (auto refusal = CheckHeaderLines(lines)) return Refuse(refusal->status, refusal->reason);
    if (server->config_.check_host && !IsLoopbackHostHeader(HeaderValue(lines, "Host")))
      return Refuse(403, "this server answers requests addressed to a loopback name only (127.0.0.1, localhost, [::1])");
    if (!IsKnownMethod(method)) return Refuse(400, StatusReason(400));
    const Target target = SplitTarget(request->target);
    const std::string& path = target.path;
    if (method == "GET" || method == "HEAD") {
      if (path == "/") return server->handlers_.Page();
      if (path == "/api/info") return server->handlers_.Info();
      if (path == "/api/devices") return server->handlers_.Devices(QueryParameter(target.query, "operands"));
      if (path == "/api/comments") return server->handlers_.Comments(QueryParameter(target.query, "operands"));
      if (path == "/api/program") return server->handlers_.Program();
      if (path == "/api/scan") return server->handlers_.Scan();
      if (path == "/api/writable") return server->handlers_.Writable(QueryParameter(target.query, "operands"));
      if (path == "/api/history")
        return server->handlers_.History(QueryParameter(target.query, "operands"), QueryParameter(target.query, "after"));
      if (path == "/api/events") {
        request->stream = true;
        return std::nullopt;
      }
    } else if (method == "POST" && path == "/api/devices") {
      request->write = Request::Write::kDevices;
    } else if (method == "PUT" && path == "/api/comments") {
      request->write = Request::Write::kComments;
    }
    if (request->write == Request::Write::kNone) return Refuse(404, StatusReason(404));
    request->form = HeaderValue(lines, "Content-Type").rfind("application/x-www-form-urlencoded", 0) == 0;
    request->limit = request->form ? kMaxFormBodyBytes : kMaxBodyBytes;
    if (AnnouncedLength(lines) > request->limit) {
      // A client that waits for leave to send its body is refused at once.
      // One that sends it anyway has it read to its end (within the request
      // deadline) without any of it being kept, so that it can read the
      // refusal, which comes at the end.
      if (EqualsIgnoringCase(HeaderValue(lines, "Expect"), "100-continue"))
        return Refuse(413, BodyLimitReason(request->form));
      return std::nullopt;
    }
    // A write that is not allowed is refused before any of its body is read.
    if (auto refusal = server->handlers_.Authorize(HeaderValue(lines, "Authorization"))) return refusal;
    return std::nullopt;
  }

  static MHD_Result Handle(void* cls, MHD_Connection* c, const char*, const char* method, const char*,
                           const char* upload, size_t* upload_size, void** context) {
    auto* server = static_cast<ApiServer*>(cls);
    auto* request = static_cast<Request*>(*context);
    if (request == nullptr) return MHD_NO;
    if (!request->examined) {
      request->examined = true;
      HeaderLines lines;
      MHD_get_connection_values_n(c, MHD_HEADER_KIND, &AddHeaderLine, &lines);
      request->answer = Examine(server, method, request, lines);
      // A refusal, and the answer to a request that is not a write but
      // announces a body, are sent now: the library then closes the
      // connection after the answer, without reading any body (nor taking a
      // request after it, whose start an ambiguous head leaves unclear).
      // Other answers wait for the request's end, so that the connection may
      // stay open for the next one.
      const bool body = !HeaderValue(lines, "Transfer-Encoding").empty() || AnnouncedLength(lines) > 0;
      if (body && request->stream) return OpenStream(server, c, request, std::strcmp(method, "HEAD") == 0);
      if (request->answer && (body || request->answer->status >= 400)) return Queue(server, c, *request->answer);
      return MHD_YES;
    }
    if (*upload_size > 0) {
      // Counted alike for chunked and plain bodies; past the limit nothing
      // more is kept.
      request->received += *upload_size;
      if (request->received <= request->limit) {
        request->body.append(upload, *upload_size);
      } else if (!request->body.empty()) {
        std::string().swap(request->body);
      }
      *upload_size = 0;
      return MHD_YES;
    }
    if (request->answer) return Queue(server, c, *request->answer);
    if (request->stream) return OpenStream(server, c, request, std::strcmp(method, "HEAD") == 0);
    if (request->received > request->limit) return Queue(server, c, Refuse(413, BodyLimitReason(request->form)), true);
    if (request->write == Request::Write::kDevices)
      return Queue(server, c, server->handlers_.WriteDevices(request->body, ClientAddressText(c)));
    return Queue(server, c, server->handlers_.WriteComments(request->body));
  }
};

ApiServer::ApiServer(MH_SHARED_STRUCTURE* image, ServerConfig config, LogFeed* feed)
    : image_(image),
      config_(std::move(config)),
      feed_(feed),
      handlers_(image, config_, feed),
      guard_({kMaxConnectionsPerAddress, kMaxConnections, kRequestDeadline, kAnswerDeadline}) {}

ApiServer::~ApiServer() {
  if (listen_socket_ >= 0) CloseSocket(listen_socket_);
}

int ApiServer::Bind(const ListenAddress& address, std::string* error) {
  int port = 0;
  listen_socket_ = OpenListenSocket(address, &port);
  if (listen_socket_ < 0) {
    *error = "cannot listen on " + address.host + ":" + std::to_string(address.port) +
             " (the address is not this machine's, or the port is taken)";
    return -1;
  }
  return port;
}

bool ApiServer::Run() {
  {
    std::lock_guard<std::mutex> lock(stop_mutex_);
    if (stopping_) return true;
  }
  // The best event loop of the system: epoll on Linux, poll on Windows.
  MHD_Daemon* daemon = MHD_start_daemon(
      MHD_USE_INTERNAL_POLLING_THREAD | MHD_USE_AUTO | MHD_ALLOW_SUSPEND_RESUME, 0, &ServerGlue::Accept, this,
      &ServerGlue::Handle, this, MHD_OPTION_LISTEN_SOCKET, static_cast<MHD_socket>(listen_socket_),
      MHD_OPTION_THREAD_POOL_SIZE, static_cast<unsigned>(kServerThreads), MHD_OPTION_CONNECTION_LIMIT,
      static_cast<unsigned>(kMaxConnections + kConnectionSlack), MHD_OPTION_PER_IP_CONNECTION_LIMIT,
      static_cast<unsigned>(kMaxConnectionsPerAddress + kConnectionSlack), MHD_OPTION_CONNECTION_MEMORY_LIMIT,
      static_cast<size_t>(kConnectionMemoryBytes), MHD_OPTION_CONNECTION_TIMEOUT,
      static_cast<unsigned>(kIdleTimeout.count()), MHD_OPTION_NOTIFY_CONNECTION, &ServerGlue::Connection, this,
      MHD_OPTION_URI_LOG_CALLBACK, &ServerGlue::RequestLine, this, MHD_OPTION_NOTIFY_COMPLETED,
      &ServerGlue::Completed, this, MHD_OPTION_END);
  if (daemon == nullptr) return false;
  listen_socket_ = -1;  // the library's now; it closes it
  std::thread waker([this] { waker_.Run(); });
  std::thread sampler([this] { Sample(); });
  std::unique_lock<std::mutex> lock(stop_mutex_);
  while (!stopping_) {
    stop_signal_.wait_for(lock, kSweepInterval);
    lock.unlock();
    guard_.Sweep(Clock::now());
    lock.lock();
  }
  lock.unlock();
  // Every stream is resumed (and ends) before the library stops, which
  // closes every connection.
  waker_.Stop();
  waker.join();
  sampler.join();
  MHD_stop_daemon(daemon);
  return true;
}

// Samples the trends' devices at the server's interval until stopped.
void ApiServer::Sample() {
  std::unique_lock<std::mutex> lock(stop_mutex_);
  auto next = std::chrono::steady_clock::now();
  while (!stopping_) {
    lock.unlock();
    handlers_.SampleHistory(std::chrono::duration_cast<std::chrono::milliseconds>(
                                std::chrono::system_clock::now().time_since_epoch())
                                .count());
    lock.lock();
    next += config_.interval;
    const auto now = std::chrono::steady_clock::now();
    if (next < now) next = now;  // behind: no burst of samples to catch up
    sample_signal_.wait_until(lock, next, [this] { return stopping_; });
  }
}

void ApiServer::Stop() {
  {
    std::lock_guard<std::mutex> lock(stop_mutex_);
    stopping_ = true;
  }
  stop_signal_.notify_all();
  sample_signal_.notify_all();
}

}  // namespace quorsma::tool::http
