#include "comment_failure.h"

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <system_error>
#include <vector>

#include <system_error>

namespace qsc {
namespace {

std::string SystemError(int code) { return std::generic_category().message(code); }

}  // namespace

namespace {

constexpr std::uintmax_t kMinProbeBytes = 65536;
constexpr std::uintmax_t kMaxProbeBytes = 64u << 20;

// The errno of writing `bytes` bytes to a new file at `path` (0 when it
// worked); the file is removed either way.
int ProbeWrite(const std::filesystem::path& path, std::uintmax_t bytes) {
  std::FILE* file = std::fopen(path.string().c_str(), "wb");
  if (file == nullptr) return errno != 0 ? errno : EIO;
  static const std::vector<char> kBlock(65536, '\0');
  int error = 0;
  for (std::uintmax_t left = bytes; left > 0 && error == 0;) {
    const std::size_t n = static_cast<std::size_t>(std::min<std::uintmax_t>(left, kBlock.size()));
    errno = 0;
    if (std::fwrite(kBlock.data(), 1, n, file) != n) error = errno != 0 ? errno : EIO;
    left -= n;
  }
  errno = 0;
  if (std::fflush(file) != 0 && error == 0) error = errno != 0 ? errno : EIO;
  if (std::fclose(file) != 0 && error == 0) error = errno != 0 ? errno : EIO;
  std::error_code ignored;
  std::filesystem::remove(path, ignored);
  return error;
}

}  // namespace

std::string CommentWriteFailure(const MH_SHARED_STRUCTURE* image) {
  const void* nul = std::memchr(image->MemPlcPath, '\0', sizeof image->MemPlcPath);
  const std::string project(image->MemPlcPath, nul ? static_cast<const char*>(nul) - image->MemPlcPath
                                                   : sizeof image->MemPlcPath);
  if (project.empty())
    return "cannot write COMMENT.WCD: no PLC project directory is configured (MEM_PLC_PATH is empty)";
  const std::filesystem::path file = std::filesystem::path(project) / "Resource" / "Others" / "COMMENT.WCD";
  const std::string cannot = "cannot write " + file.string() + ": ";
  std::error_code status;
  const std::filesystem::path dir = file.parent_path();
  if (!std::filesystem::is_directory(dir, status))
    return cannot + (status ? status.message() : SystemError(ENOTDIR));
  if (std::filesystem::is_directory(file, status)) return cannot + SystemError(EISDIR);
  std::uintmax_t size = std::filesystem::file_size(file, status);
  if (status) size = 0;
  if (std::FILE* existing = std::fopen(file.string().c_str(), "rb")) {
    std::fclose(existing);
  } else if (errno != ENOENT) {
    return "cannot read " + file.string() + " (it is replaced only after it was read): " + SystemError(errno);
  }
  const int error =
      ProbeWrite(dir / ("COMMENT.WCD.quorsma-probe-" + std::to_string(std::chrono::steady_clock::now().time_since_epoch().count())),
                 std::clamp(size, kMinProbeBytes, kMaxProbeBytes));
  if (error != 0) return cannot + SystemError(error);
  return cannot + "the library reported a failure whose cause has passed (the directory takes a file now)";
}

}  // namespace qsc
