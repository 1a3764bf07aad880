#include "host.h"

#include <atomic>
#include <chrono>
#include <filesystem>
#include <system_error>

#if defined(_WIN32)
#include <windows.h>
#else
#include <unistd.h>
#endif

namespace quorsma::tool {

std::string ExecutableDir() {
  std::error_code error;
#if defined(_WIN32)
  char path[MAX_PATH * 2];
  DWORD n = GetModuleFileNameA(nullptr, path, sizeof path);
  if (n == 0 || n >= sizeof path) return {};
  std::filesystem::path exe(std::string(path, n));
#else
  std::filesystem::path exe = std::filesystem::read_symlink("/proc/self/exe", error);
  if (error) return {};
#endif
  return exe.parent_path().string();
}

std::string TemporaryPath(const std::string& stem) {
  static std::atomic<int> counter{0};
  std::error_code error;
  std::filesystem::path dir = std::filesystem::temp_directory_path(error);
  if (error) dir = ".";
  const auto stamp = std::chrono::steady_clock::now().time_since_epoch().count();
#if defined(_WIN32)
  const unsigned long pid = GetCurrentProcessId();
#else
  const unsigned long pid = static_cast<unsigned long>(getpid());
#endif
  return (dir / (stem + "-" + std::to_string(pid) + "-" + std::to_string(stamp) + "-" +
                 std::to_string(counter.fetch_add(1))))
      .string();
}

}  // namespace quorsma::tool
