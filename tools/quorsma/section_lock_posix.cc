// The section locks on Linux: an open-file-description lock on the whole file.
#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>

#include "section_lock.h"

namespace quorsma::tool {

std::string detail::DefaultLockDir() { return "/dev/shm"; }

bool SectionLock::Acquire(std::string_view job, std::string* error) {
  Release();
  const std::string path = SectionLockPath(job);
  const int fd = open(path.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0600);
  if (fd < 0) {
    *error = "cannot open the lock file " + path + ": " + std::strerror(errno);
    return false;
  }
  struct flock whole {};
  whole.l_type = F_WRLCK;
  whole.l_whence = SEEK_SET;
  if (fcntl(fd, F_OFD_SETLK, &whole) != 0) {
    const int code = errno;
    if (code == EAGAIN || code == EACCES) {
      char pid[32] = {};
      const ssize_t got = pread(fd, pid, sizeof pid - 1, 0);
      if (got <= 0) pid[0] = '\0';
      *error = detail::BusyMessage(job, pid);
    } else {
      *error = "cannot lock " + path + ": " + std::strerror(code);
    }
    close(fd);
    return false;
  }
  char text[32];
  const int n = std::snprintf(text, sizeof text, "%ld\n", static_cast<long>(getpid()));
  // Written before the cut, so a reader never finds the file empty.
  if (pwrite(fd, text, static_cast<std::size_t>(n), 0) != n || ftruncate(fd, n) != 0) {
    *error = "cannot write " + path + ": " + std::strerror(errno);
    close(fd);
    return false;
  }
  handle_ = fd;
  return true;
}

void SectionLock::Release() {
  if (handle_ == kNone) return;
  close(static_cast<int>(handle_));  // closing the last descriptor drops the lock
  handle_ = kNone;
}

}  // namespace quorsma::tool
