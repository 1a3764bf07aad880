// A value-change line as the JSON message of <prefix>/changes.
//
//   {"time":"2026-12-08T09:40:01.123+09:00", "operand":"W1F", "kind":"W", "number":"001F",
//    "index":31, "old":0, "new":7, "comment":"...", "line":"VC => W[001F]=0 => 7 \t: ..."}
//
// time: when the line was collected, local time with its offset; operand:
// the device as the tool's operands name it (as in devices/<operand>); kind: the
// device letter; number: the device number as the line prints it (hexadecimal
// for B and W, decimal otherwise) and index: the same as an integer; old and
// new: the values; comment and line: the device's comment and the whole
// line, converted from CP949 to UTF-8.  A line in no format of the library
// keeps only time and line.
#pragma once

#include <chrono>
#include <cstdint>
#include <string>

namespace quorsma::tool::mqtt {

struct ChangeLine {
  char kind = 0;       // 'M', 'B', 'L', 'W' or 'D'
  std::string number;  // as printed
  int32_t index = 0;
  int32_t old_value = 0;
  int32_t new_value = 0;
  std::string comment;  // CP949
};

// Parses a line of the library's value-change formats; false for any other text.
bool ParseChangeLine(const std::string& line, ChangeLine* out);

// The JSON message of a line collected at `when`.
std::string ChangeJson(const std::string& line, std::chrono::system_clock::time_point when);

// The payload of devices/<operand> for a sampled decimal `value`: the value
// itself, or with `as_json` {"value":N,"time":"..."} (value null for a device
// that could not be read).
std::string DevicePayload(const std::string& value, std::chrono::system_clock::time_point when, bool as_json);

// ISO 8601 local time with milliseconds and the offset: 2026-12-08T09:40:01.123+09:00.
std::string IsoLocalTime(std::chrono::system_clock::time_point when);

}  // namespace quorsma::tool::mqtt
