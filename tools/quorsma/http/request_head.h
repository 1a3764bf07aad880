// What the server takes from the head of a request: the path and the query
// parameters of its target, and the checks of its header lines that come
// before anything else (and before any of a body is read).
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace quorsma::tool::http {

struct HeadRefusal {
  int status = 400;
  std::string reason;
};

using HeaderLines = std::vector<std::pair<std::string_view, std::string_view>>;

// Refuses a head whose header lines pass the limits of server_limits.h (431),
// or that names its host or its body's framing ambiguously (400): more than
// one Host, more than one Content-Length, a Content-Length together with a
// Transfer-Encoding, a Transfer-Encoding other than chunked.
std::optional<HeadRefusal> CheckHeaderLines(const HeaderLines& lines);

// The value of header `name` (any letter case), or empty.
std::string_view HeaderValue(const HeaderLines& lines, std::string_view name);

struct Target {
  std::string path;   // %XX decoded
  std::string query;  // as sent, after '?'
};
Target SplitTarget(std::string_view target);

// The first value of parameter `name` in a query, %XX and '+' decoded;
// empty when missing.
std::string QueryParameter(std::string_view query, std::string_view name);

bool EqualsIgnoringCase(std::string_view a, std::string_view b);

}  // namespace quorsma::tool::http
