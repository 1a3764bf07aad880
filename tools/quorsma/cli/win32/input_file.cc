// Input files on Windows: examined by path, then opened.
#include <cerrno>
#include <filesystem>
#include <system_error>

#include "cli/host.h"
#include "cli/input_file.h"

namespace quorsma::tool {

std::FILE* OpenInputFile(const std::string& path, std::uintmax_t limit, std::string* reason) {
  std::error_code error;
  const std::filesystem::file_status status = std::filesystem::status(path, error);
  if (std::filesystem::is_directory(status)) {
    *reason = "is a directory";
    return nullptr;
  }
  if (std::filesystem::exists(status) && !std::filesystem::is_regular_file(status)) {
    *reason = "not a regular file";
    return nullptr;
  }
  const std::uintmax_t size = std::filesystem::file_size(path, error);
  if (!error && size > limit) {
    *reason = "larger than " + std::to_string(limit) + " bytes";
    return nullptr;
  }
  std::FILE* file = std::fopen(path.c_str(), "rb");
  if (file == nullptr) *reason = SystemError(errno);
  return file;
}

}  // namespace quorsma::tool
