#include "api_server.h"

#include <httplib.h>

#include <nlohmann/json.hpp>

#include <string_view>
#include <vector>

#include "comment_failure.h"
#include "client_names.h"
#include "device_requests.h"
#include "event_stream.h"
#include "library_messages.h"
#include "plural.h"
#include "server_limits.h"
#include "text_encoding.h"
#include "token.h"

namespace quorsma::tool::http {

extern const std::string_view kServePage;

namespace {

using nlohmann::json;

constexpr char kJson[] = "application/json; charset=utf-8";
// Lines of the value-change log a new event stream starts with.
constexpr std::size_t kLogBacklog = 100;

// Texts from a request may hold any bytes; JSON output replaces what is not
// UTF-8 rather than failing.
std::string Dump(const json& value) { return value.dump(-1, ' ', false, json::error_handler_t::replace); }

void Reply(httplib::Response& res, int status, const json& body) {
  res.status = status;
  res.set_content(Dump(body), kJson);
}

void Refuse(httplib::Response& res, int status, const std::string& reason) { Reply(res, status, {{"error", reason}}); }

std::string StatusReason(int status) {
  switch (status) {
    case 400: return "bad request";
    case 403: return "forbidden";
    case 404: return "no such resource";
    case 405: return "method not allowed";
    case 413: return "the request body is larger than " + std::to_string(kMaxBodyBytes) + " bytes";
    case 414: return "the request target is longer than " + std::to_string(kMaxTargetBytes) + " bytes";
    case 503: return "the server is busy";
    default: return "the request failed";
  }
}

std::string JoinArray(const std::vector<std::string>& objects) {
  std::string out = "[";
  for (const std::string& object : objects) {
    if (out.size() > 1) out += ',';
    out += object;
  }
  return out + ']';
}

}  // namespace

ApiServer::ApiServer(MH_SHARED_STRUCTURE* image, ServerConfig config, const LogFeed* feed)
    : image_(image), config_(std::move(config)), feed_(feed), server_(std::make_unique<httplib::Server>()) {
  server_->new_task_queue = [] { return new httplib::ThreadPool(kMaxEventStreams + kRequestThreads); };
  // The HTTP library's default lets several sockets share a port
  // (SO_REUSEPORT), so that a second server, or another user's program, would
  // silently take part of the connections.  Only a quick restart is allowed.
  server_->set_socket_options([](int sock) {
    int yes = 1;
    setsockopt(sock, SOL_SOCKET, SO_REUSEADDR, &yes, sizeof yes);
  });
  server_->set_payload_max_length(kMaxBodyBytes);
  server_->set_read_timeout(kReadTimeout);
  server_->set_write_timeout(kWriteTimeout);
  server_->set_keep_alive_timeout(2);
  server_->set_default_headers({{"X-Content-Type-Options", "nosniff"},
                                {"Cache-Control", "no-store"},
                                {"Referrer-Policy", "no-referrer"}});
  Route();
}

ApiServer::~ApiServer() = default;

int ApiServer::Bind(const ListenAddress& address, std::string* error) {
  const int port = address.port == 0 ? server_->bind_to_any_port(address.host)
                                     : (server_->bind_to_port(address.host, address.port) ? address.port : -1);
  if (port <= 0) {
    *error = "cannot listen on " + address.host + ":" + std::to_string(address.port) +
             " (the address is not this machine's, or the port is taken)";
    return -1;
  }
  return port;
}

bool ApiServer::Run() { return server_->listen_after_bind(); }

void ApiServer::Stop() {
  {
    std::lock_guard<std::mutex> lock(stop_mutex_);
    stopping_ = true;
  }
  stop_signal_.notify_all();
  server_->stop();
}

bool ApiServer::WaitStop(std::chrono::steady_clock::time_point deadline) {
  std::unique_lock<std::mutex> lock(stop_mutex_);
  return stop_signal_.wait_until(lock, deadline, [this] { return stopping_; });
}

void ApiServer::Route() {
  httplib::Server& s = *server_;

  s.set_pre_routing_handler([this](const httplib::Request& req, httplib::Response& res) {
    if (req.target.size() > kMaxTargetBytes) {
      Refuse(res, 414, "the request target is longer than " + std::to_string(kMaxTargetBytes) + " bytes");
      return httplib::Server::HandlerResponse::Handled;
    }
    if (config_.check_host && !IsLoopbackHostHeader(req.get_header_value("Host"))) {
      Refuse(res, 403, "this server answers requests addressed to a loopback name only (127.0.0.1, localhost, [::1])");
      return httplib::Server::HandlerResponse::Handled;
    }
    return httplib::Server::HandlerResponse::Unhandled;
  });

  s.set_error_handler(httplib::Server::HandlerWithResponse(
      [](const httplib::Request& req, httplib::Response& res) {
        if (!res.body.empty()) return httplib::Server::HandlerResponse::Unhandled;
        // The HTTP library takes form data (curl's default type for -d) up to
        // 8,192 bytes only, whatever the limit of other bodies.
        if (res.status == 413 &&
            req.get_header_value("Content-Type").rfind("application/x-www-form-urlencoded", 0) == 0) {
          Refuse(res, 413, "a body sent as form data is taken up to 8192 bytes; send it as application/json");
        } else {
          Refuse(res, res.status, StatusReason(res.status));
        }
        return httplib::Server::HandlerResponse::Handled;
      }));

  s.set_exception_handler([](const httplib::Request&, httplib::Response& res, std::exception_ptr) {
    Refuse(res, 500, "the server failed to answer this request");
  });

  s.Get("/", [](const httplib::Request&, httplib::Response& res) {
    res.set_header("Content-Security-Policy",
                   "default-src 'none'; script-src 'unsafe-inline'; style-src 'unsafe-inline'; "
                   "connect-src 'self'; img-src data:; base-uri 'none'; form-action 'none'; frame-ancestors 'none'");
    res.set_header("X-Frame-Options", "DENY");
    res.set_content(kServePage.data(), kServePage.size(), "text/html; charset=utf-8");
  });

  s.Get("/api/info", [this](const httplib::Request&, httplib::Response& res) {
    Reply(res, 200,
          {{"section", config_.section},
           {"configuration", config_.configuration},
           {"version", QUORSMA_VERSION_TEXT},
           {"log", {{"enable", image_->LogEnable != 0}, {"pending", image_->LogLinePending != 0},
                    {"collecting", config_.collect}}},
           {"interval_ms", config_.interval.count()},
           {"writes", {{"allowed", config_.writes_allowed}, {"devices", config_.allowed_text}}},
           {"limits", {{"target_bytes", kMaxTargetBytes}, {"body_bytes", kMaxBodyBytes},
                       {"devices_per_request", kMaxRequestDevices}, {"event_streams", kMaxEventStreams}}}});
  });

  s.Get("/api/devices", [this](const httplib::Request& req, httplib::Response& res) {
    std::vector<Operand> operands;
    if (auto refusal = ParseWatchList(req.get_param_value("operands"), &operands))
      return Refuse(res, refusal->status, refusal->reason);
    std::vector<std::string> objects;
    objects.reserve(operands.size());
    for (const Operand& op : operands)
      objects.push_back(ToJson(ReadDeviceValue(image_, op, ReadPath::kImage), ValueFormat::kDec));
    res.set_content(JoinArray(objects), kJson);
  });

  s.Get("/api/comments", [this](const httplib::Request& req, httplib::Response& res) {
    std::vector<Operand> operands;
    if (auto refusal = ParseWatchList(req.get_param_value("operands"), &operands))
      return Refuse(res, refusal->status, refusal->reason);
    json list = json::array();
    for (const Operand& op : operands) {
      const DeviceRange cell = CellsOf(op);
      list.push_back({{"operand", OperandText(op)},
                      {"comment", Cp949ToUtf8(CommentOf(image_, cell.device, cell.first))}});
    }
    Reply(res, 200, list);
  });

  // Writes: refused unless allowed and the token matches; then every item is
  // checked before the first is written.
  auto authorize = [this](const httplib::Request& req, httplib::Response& res) {
    if (!config_.writes_allowed) {
      Refuse(res, 403, "writes are off on this server (quorsma serve --allow-write RANGES allows them)");
      return false;
    }
    const std::string header = req.get_header_value("Authorization");
    if (!TokensEqual(config_.token, BearerToken(header))) {
      Refuse(res, 403, header.empty() ? "writes need the header Authorization: Bearer TOKEN"
                                      : "the token does not match");
      return false;
    }
    return true;
  };
  auto parse_body = [](const httplib::Request& req, httplib::Response& res, json* body) {
    *body = json::parse(req.body, nullptr, false);
    if (body->is_discarded()) {
      Refuse(res, 400, "the body is not JSON (UTF-8)");
      return false;
    }
    return true;
  };

  s.Post("/api/devices", [this, authorize, parse_body](const httplib::Request& req, httplib::Response& res) {
    json body;
    if (!authorize(req, res) || !parse_body(req, res, &body)) return;
    std::lock_guard<std::mutex> lock(write_mutex_);
    std::vector<qsc_write_target> plan;
    if (auto refusal = PlanDeviceWrites(body, config_.allowed, image_, &plan))
      return Refuse(res, refusal->status, refusal->reason);
    std::vector<std::string> objects;
    objects.reserve(plan.size());
    for (const qsc_write_target& write : plan) {
      const int64_t messages = LibraryMessageCount();
      ApplyWrite(write);
      if (LibraryMessageCount() != messages)
        return Refuse(res, 500, "the library refused the write of " + std::string(write.operand) + " (" +
                                    Counted(static_cast<int64_t>(objects.size()), "earlier item") + " written)");
      objects.push_back(ToJson(ReadDeviceValue(image_, write.operand, ReadPath::kImage), ValueFormat::kDec));
    }
    res.set_content(JoinArray(objects), kJson);
  });

  s.Put("/api/comments", [this, authorize, parse_body](const httplib::Request& req, httplib::Response& res) {
    json body;
    if (!authorize(req, res) || !parse_body(req, res, &body)) return;
    std::lock_guard<std::mutex> lock(write_mutex_);
    std::vector<CommentWrite> plan;
    if (auto refusal = PlanCommentWrites(body, config_.allowed, &plan))
      return Refuse(res, refusal->status, refusal->reason);
    json list = json::array();
    for (const CommentWrite& write : plan) {
      if (!smModifyMemoryComment(write.kind.c_str(), write.number, write.cp949.c_str()))
        return Refuse(res, 500, CommentWriteFailure(image_) + " (the comment of " + write.operand + " stays in memory only; " +
                                    Counted(static_cast<int64_t>(list.size()), "earlier item") + " set)");
      list.push_back({{"operand", write.operand},
                      {"comment", Cp949ToUtf8(CommentOf(image_, write.kind, write.number))}});
    }
    Reply(res, 200, list);
  });

  s.Get("/api/events", [this](const httplib::Request& req, httplib::Response& res) {
    std::vector<Operand> operands;
    if (auto refusal = ParseWatchList(req.get_param_value("operands"), &operands))
      return Refuse(res, refusal->status, refusal->reason);
    if (streams_.fetch_add(1) >= kMaxEventStreams) {
      streams_.fetch_sub(1);
      return Refuse(res, 503, "at most " + std::to_string(kMaxEventStreams) + " event streams are served at once");
    }
    struct State {
      bool started = false;
      std::chrono::steady_clock::time_point next, last_sent;
    };
    auto stream = std::make_shared<EventStream>(image_, std::move(operands), config_.collect ? feed_ : nullptr);
    auto state = std::make_shared<State>();
    // The type exactly as written: the HTTP library compresses any other text
    // type when the client accepts it, and a compressed stream would hold the
    // events back.  Event streams are UTF-8 by definition.
    res.set_chunked_content_provider(
        "text/event-stream",
        [this, stream, state](size_t, httplib::DataSink& sink) {
          auto now = std::chrono::steady_clock::now();
          std::string chunk;
          if (!state->started) {
            state->started = true;
            state->next = now + config_.interval;
            chunk = "retry: 2000\n\n" + stream->Start(kLogBacklog);
          } else {
            if (WaitStop(state->next)) {
              sink.done();
              return true;
            }
            now = std::chrono::steady_clock::now();
            // Steps keep their rhythm; a stream that fell behind skips ahead.
            state->next += config_.interval;
            if (state->next < now) state->next = now + config_.interval;
            chunk = stream->Next();
            if (chunk.empty() && now - state->last_sent >= kKeepAlive) chunk = ": keep-alive\n\n";
          }
          if (chunk.empty()) return true;
          state->last_sent = now;
          return sink.write(chunk.data(), chunk.size());
        },
        [this](bool) { streams_.fetch_sub(1); });
  });
}

}  // namespace quorsma::tool::http
