// Input files on Linux: opened without waiting, then examined.
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

#include "cli/host.h"
#include "cli/input_file.h"

namespace quorsma::tool {

std::FILE* OpenInputFile(const std::string& path, std::uintmax_t limit, std::string* reason) {
  // O_NONBLOCK: opening a FIFO would otherwise wait for a writer.
  const int fd = open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
  if (fd < 0) {
    *reason = SystemError(errno);
    return nullptr;
  }
  struct stat st {};
  if (fstat(fd, &st) != 0) {
    *reason = SystemError(errno);
  } else if (S_ISDIR(st.st_mode)) {
    *reason = "is a directory";
  } else if (!S_ISREG(st.st_mode)) {
    *reason = std::string("not a regular file (") +
              (S_ISFIFO(st.st_mode)   ? "a FIFO"
               : S_ISCHR(st.st_mode)  ? "a character device"
               : S_ISBLK(st.st_mode)  ? "a block device"
               : S_ISSOCK(st.st_mode) ? "a socket"
                                      : "of another kind") +
              ")";
  } else if (static_cast<std::uintmax_t>(st.st_size) > limit) {
    *reason = "larger than " + std::to_string(limit) + " bytes";
  } else if (fcntl(fd, F_SETFL, fcntl(fd, F_GETFL) & ~O_NONBLOCK) != 0) {
    *reason = SystemError(errno);
  } else if (std::FILE* file = fdopen(fd, "rb")) {
    return file;
  } else {
    *reason = SystemError(errno);
  }
  close(fd);
  return nullptr;
}

}  // namespace quorsma::tool
