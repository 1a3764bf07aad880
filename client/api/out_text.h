// Giving texts out through a caller's buffer, as every function of client.h
// does: always terminated when the buffer has room for a byte, cut to fit,
// and the full length returned so that a caller can tell it was cut.
#pragma once

#include <cstddef>
#include <cstring>
#include <string>
#include <string_view>

#include "quorsma/client.h"

namespace qsc {

inline std::size_t OutText(std::string_view text, char* out, std::size_t size) {
  if (out != nullptr && size > 0) {
    const std::size_t n = text.size() < size - 1 ? text.size() : size - 1;
    std::memcpy(out, text.data(), n);
    out[n] = '\0';
  }
  return text.size();
}

// Leaves `reason` in the error buffer and returns `status`.
inline int32_t Refused(int32_t status, const std::string& reason, char* error, std::size_t error_size) {
  OutText(reason, error, error_size);
  return status;
}

inline std::string_view In(const char* text, std::size_t length) {
  return text == nullptr ? std::string_view() : std::string_view(text, length);
}

}  // namespace qsc
