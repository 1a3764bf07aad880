#include "request_head.h"

#include "server_limits.h"

namespace quorsma::tool::http {
namespace {

int HexDigit(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

std::string Decode(std::string_view text, bool plus_is_space) {
  std::string out;
  out.reserve(text.size());
  for (std::size_t i = 0; i < text.size(); ++i) {
    const char c = text[i];
    if (c == '%' && i + 2 < text.size() && HexDigit(text[i + 1]) >= 0 && HexDigit(text[i + 2]) >= 0) {
      out += static_cast<char>(HexDigit(text[i + 1]) * 16 + HexDigit(text[i + 2]));
      i += 2;
    } else {
      out += plus_is_space && c == '+' ? ' ' : c;
    }
  }
  return out;
}

}  // namespace

bool EqualsIgnoringCase(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i) {
    char x = a[i], y = b[i];
    if (x >= 'A' && x <= 'Z') x = static_cast<char>(x - 'A' + 'a');
    if (y >= 'A' && y <= 'Z') y = static_cast<char>(y - 'A' + 'a');
    if (x != y) return false;
  }
  return true;
}

std::optional<HeadRefusal> CheckHeaderLines(const HeaderLines& lines) {
  if (lines.size() > kMaxHeaderLines)
    return HeadRefusal{431, "a request may carry at most " + std::to_string(kMaxHeaderLines) + " header lines"};
  std::size_t bytes = 0;
  int hosts = 0, lengths = 0, encodings = 0;
  std::string_view encoding;
  for (const auto& [name, value] : lines) {
    bytes += name.size() + value.size() + 4;  // ": " and the line end
    hosts += EqualsIgnoringCase(name, "Host") ? 1 : 0;
    lengths += EqualsIgnoringCase(name, "Content-Length") ? 1 : 0;
    if (EqualsIgnoringCase(name, "Transfer-Encoding")) {
      ++encodings;
      encoding = value;
    }
  }
  if (bytes > kMaxHeaderBytes)
    return HeadRefusal{431, "the header lines of a request may take at most " + std::to_string(kMaxHeaderBytes) +
                                " bytes"};
  if (hosts > 1) return HeadRefusal{400, "the request carries more than one Host header"};
  if (lengths > 1) return HeadRefusal{400, "the request carries more than one Content-Length header"};
  if (lengths > 0 && encodings > 0)
    return HeadRefusal{400, "the request carries both Content-Length and Transfer-Encoding"};
  if (encodings > 1 || (encodings == 1 && !EqualsIgnoringCase(encoding, "chunked")))
    return HeadRefusal{400, "the only Transfer-Encoding taken is chunked"};
  return std::nullopt;
}

std::string_view HeaderValue(const HeaderLines& lines, std::string_view name) {
  for (const auto& [key, value] : lines)
    if (EqualsIgnoringCase(key, name)) return value;
  return {};
}

Target SplitTarget(std::string_view target) {
  const std::size_t mark = target.find('?');
  Target out;
  out.path = Decode(target.substr(0, mark), false);
  if (mark != std::string_view::npos) out.query = std::string(target.substr(mark + 1));
  return out;
}

std::string QueryParameter(std::string_view query, std::string_view name) {
  while (!query.empty()) {
    const std::size_t amp = query.find('&');
    const std::string_view pair = query.substr(0, amp);
    query = amp == std::string_view::npos ? std::string_view() : query.substr(amp + 1);
    const std::size_t equals = pair.find('=');
    if (Decode(pair.substr(0, equals), true) != name) continue;
    return equals == std::string_view::npos ? std::string() : Decode(pair.substr(equals + 1), true);
  }
  return {};
}

}  // namespace quorsma::tool::http
