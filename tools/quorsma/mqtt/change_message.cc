#include "change_message.h"

#include <cctype>
#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <nlohmann/json.hpp>

#include "local_time.h"
#include "quorsma/client.h"

namespace quorsma::tool::mqtt {

using namespace quorsma::client;
namespace {

// Reads a decimal int32 at `*p` (an optional '-' first), advancing `*p`.
bool ReadInt(const char** p, int32_t* out) {
  if (!(**p == '-' || (**p >= '0' && **p <= '9'))) return false;
  errno = 0;
  char* end = nullptr;
  long long v = std::strtoll(*p, &end, 10);
  if (errno != 0 || end == *p || v < INT32_MIN || v > INT32_MAX) return false;
  *out = static_cast<int32_t>(v);
  *p = end;
  return true;
}

bool Skip(const char** p, const char* text) {
  std::size_t n = std::strlen(text);
  if (std::strncmp(*p, text, n) != 0) return false;
  *p += n;
  return true;
}

}  // namespace

bool ParseChangeLine(const std::string& line, ChangeLine* out) {
  const char* p = line.c_str();
  if (!Skip(&p, "VC => ")) return false;
  const char kind = *p;
  if (std::strchr("MBLWD", kind) == nullptr || kind == '\0') return false;
  ++p;
  if (!Skip(&p, "[")) return false;
  const bool hex = kind == 'B' || kind == 'W';
  const char* digits = p;
  while (hex ? std::isxdigit(static_cast<unsigned char>(*p)) : std::isdigit(static_cast<unsigned char>(*p))) ++p;
  if (p == digits || p - digits > 10) return false;
  ChangeLine c;
  c.kind = kind;
  c.number.assign(digits, p);
  const long long index = std::strtoll(c.number.c_str(), nullptr, hex ? 16 : 10);
  if (index > INT32_MAX) return false;
  c.index = static_cast<int32_t>(index);
  if (!Skip(&p, "]=") || !ReadInt(&p, &c.old_value) || !Skip(&p, " => ") || !ReadInt(&p, &c.new_value) ||
      !Skip(&p, " \t: "))
    return false;
  c.comment = p;
  *out = std::move(c);
  return true;
}

std::string IsoLocalTime(std::chrono::system_clock::time_point when) {
  const std::time_t seconds = std::chrono::system_clock::to_time_t(when);
  const auto millis = std::chrono::duration_cast<std::chrono::milliseconds>(when.time_since_epoch()).count() % 1000;
  long offset = 0;  // seconds east of UTC
  const std::tm local = LocalTimeAndOffset(seconds, &offset);
  char stamp[48];
  std::size_t n = std::strftime(stamp, sizeof stamp, "%Y-%m-%dT%H:%M:%S", &local);
  const long magnitude = offset < 0 ? -offset : offset;
  std::snprintf(stamp + n, sizeof stamp - n, ".%03d%c%02ld:%02ld", static_cast<int>(millis), offset < 0 ? '-' : '+',
                magnitude / 3600, magnitude / 60 % 60);
  return stamp;
}

std::string ChangeJson(const std::string& line, std::chrono::system_clock::time_point when) {
  nlohmann::ordered_json message;
  message["time"] = IsoLocalTime(when);
  ChangeLine c;
  if (ParseChangeLine(line, &c)) {
    message["operand"] = DeviceText(std::string_view(&c.kind, 1), c.index);
    message["kind"] = std::string(1, c.kind);
    message["number"] = c.number;
    message["index"] = c.index;
    message["old"] = c.old_value;
    message["new"] = c.new_value;
    message["comment"] = Cp949ToUtf8(c.comment);
  }
  message["line"] = Cp949ToUtf8(line);
  // The conversion leaves valid UTF-8; anything else would be replaced, not thrown.
  return message.dump(-1, ' ', false, nlohmann::json::error_handler_t::replace);
}

}  // namespace quorsma::tool::mqtt

namespace quorsma::tool::mqtt {

std::string DevicePayload(const std::string& value, std::chrono::system_clock::time_point when, bool as_json) {
  if (!as_json) return value;
  nlohmann::ordered_json message;
  int32_t number = 0;
  if (ParseValueText(value, &number))
    message["value"] = number;
  else
    message["value"] = nullptr;  // an index register pointed outside the area
  message["time"] = IsoLocalTime(when);
  return message.dump();
}

}  // namespace quorsma::tool::mqtt
