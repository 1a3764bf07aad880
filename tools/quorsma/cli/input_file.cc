#include "input_file.h"

#include <cerrno>

#include "host.h"

namespace quorsma::tool {

bool ReadInputFile(const std::string& path, std::uintmax_t limit, std::string* bytes, std::string* error) {
  const bool standard_input = path == "-";
  const std::string name = standard_input ? "standard input" : path;
  std::string reason;
  std::FILE* in = standard_input ? stdin : OpenInputFile(path, limit, &reason);
  if (in == nullptr) {
    *error = "cannot read " + name + ": " + reason;
    return false;
  }
  bytes->clear();
  char buffer[65536];
  std::size_t n;
  errno = 0;
  while (reason.empty() && (n = std::fread(buffer, 1, sizeof buffer, in)) > 0) {
    if (bytes->size() + n > limit) {
      reason = "larger than " + std::to_string(limit) + " bytes";
    } else {
      bytes->append(buffer, n);
    }
  }
  if (reason.empty() && std::ferror(in)) reason = errno != 0 ? SystemError(errno) : "read error";
  if (!standard_input) std::fclose(in);
  if (!reason.empty()) {
    *error = "cannot read " + name + ": " + reason;
    bytes->clear();
    return false;
  }
  return true;
}

}  // namespace quorsma::tool
