#include "host.h"

#include <atomic>
#include <chrono>
#include <cstring>
#include <filesystem>
#include <system_error>

namespace quorsma::tool {

std::string TemporaryPath(const std::string& stem) {
  static std::atomic<int> counter{0};
  std::error_code error;
  std::filesystem::path dir = std::filesystem::temp_directory_path(error);
  if (error) dir = ".";
  const auto stamp = std::chrono::steady_clock::now().time_since_epoch().count();
  return (dir / (stem + "-" + std::to_string(CurrentProcessId()) + "-" + std::to_string(stamp) + "-" +
                 std::to_string(counter.fetch_add(1))))
      .string();
}

std::string SystemError(int code) { return std::strerror(code); }

}  // namespace quorsma::tool
