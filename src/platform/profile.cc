#include "platform/profile.h"

#include <cstring>

namespace quorsma::platform {

// Placeholder until the private-profile reader lands: every key is missing.
std::size_t ProfileRead(const std::string*, const char*, const char*, const char* fallback,
                        char* out, std::size_t size) {
  if (size == 0) return 0;
  std::size_t n = std::strlen(fallback ? fallback : "");
  if (n > size - 1) n = size - 1;
  std::memcpy(out, fallback, n);
  out[n] = '\0';
  return n;
}

std::string ProfileWrite(const std::string& content, const char*, const char*, const char*) {
  return content;
}

}  // namespace quorsma::platform
