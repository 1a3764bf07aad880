#include "platform/posix/shared_object.h"

#include <errno.h>
#include <fcntl.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <sys/statvfs.h>
#include <unistd.h>

namespace quorsma::platform {
namespace {

bool LockByteZero(int fd, short type, bool wait) {
  struct flock lock = {};
  lock.l_type = type;
  lock.l_whence = SEEK_SET;
  lock.l_start = 0;
  lock.l_len = 1;
  for (;;) {
    if (fcntl(fd, wait ? F_OFD_SETLKW : F_OFD_SETLK, &lock) == 0) return true;
    if (errno != EINTR) return false;
  }
}

// True when `fd` is still the object that carries `name`.
bool StillNamed(const std::string& name, int fd) {
  int probe = shm_open(name.c_str(), O_RDONLY | O_CLOEXEC, 0);
  if (probe < 0) return false;
  struct stat mine = {}, named = {};
  bool same = fstat(fd, &mine) == 0 && fstat(probe, &named) == 0 &&
              mine.st_ino == named.st_ino && mine.st_dev == named.st_dev;
  close(probe);
  return same;
}

bool HasRoomFor(int fd, std::size_t size) {
  struct statvfs fs = {};
  if (fstatvfs(fd, &fs) != 0) return true;  // cannot tell: let the size step decide
  unsigned long long free_bytes =
      static_cast<unsigned long long>(fs.f_bavail) * static_cast<unsigned long long>(fs.f_frsize);
  return free_bytes >= size;
}

// A program started with standard input, output or error closed would get
// the object on descriptor 0, 1 or 2, and its next print would write into
// the object: the descriptor is moved above them.
int AboveStandardStreams(int fd) {
  if (fd < 0 || fd > 2) return fd;
  const int moved = fcntl(fd, F_DUPFD_CLOEXEC, 3);
  const int saved = errno;
  close(fd);
  errno = saved;
  return moved;
}

}  // namespace

std::string SharedObjectName(const std::string& name) {
  std::string out = "/";
  for (char c : name) out += (c == '/') ? '_' : c;
  return out;
}

bool OpenSharedObject(const std::string& name, std::size_t size, SharedObject* out,
                      const std::function<bool(int fd)>& on_create, const SharedAccess* access,
                      bool keep_exclusive) {
  const mode_t create_mode = access != nullptr ? access->mode : 0600;
  for (int attempt = 0; attempt < 1000; ++attempt) {
    int fd = AboveStandardStreams(shm_open(name.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, create_mode));
    if (fd < 0) return false;
    bool sole_holder = LockByteZero(fd, F_WRLCK, /*wait=*/false);
    if (!sole_holder && !LockByteZero(fd, F_RDLCK, /*wait=*/true)) {
      int saved = errno;
      close(fd);
      errno = saved;
      return false;
    }
    // The last holder of an earlier object may have removed the name while we
    // waited: then start over with whatever carries the name now.
    if (!StillNamed(name, fd)) {
      close(fd);
      continue;
    }
    if (sole_holder) {
      // Nobody else holds it: begin a fresh, zero-filled, sparse object.
      if (ftruncate(fd, 0) != 0 || !HasRoomFor(fd, size) ||
          ftruncate(fd, static_cast<off_t>(size)) != 0 || (on_create && !on_create(fd))) {
        int saved = errno ? errno : ENOSPC;
        shm_unlink(name.c_str());
        close(fd);
        errno = saved;
        return false;
      }
      // A fresh object of this process's own takes the group and mode asked
      // for (one left behind by another user keeps its owner's).
      struct stat st = {};
      out->access_error = 0;
      if (access != nullptr && fstat(fd, &st) == 0 && st.st_uid == geteuid() && !ApplySharedAccess(fd, *access))
        out->access_error = errno;
      if (!keep_exclusive) LockByteZero(fd, F_RDLCK, /*wait=*/false);  // atomic downgrade
    } else {
      struct stat st = {};
      if (fstat(fd, &st) != 0 || static_cast<std::size_t>(st.st_size) < size) {
        close(fd);
        errno = EINVAL;
        return false;
      }
    }
    out->fd = fd;
    out->created = sole_holder;
    out->exclusive = sole_holder && keep_exclusive;
    return true;
  }
  errno = EAGAIN;
  return false;
}

void ShareSharedObject(SharedObject* object) {
  if (object->fd < 0 || !object->exclusive) return;
  LockByteZero(object->fd, F_RDLCK, /*wait=*/false);  // atomic downgrade
  object->exclusive = false;
}

void CloseSharedObject(const std::string& name, SharedObject* object) {
  if (object->fd < 0) return;
  if (LockByteZero(object->fd, F_WRLCK, /*wait=*/false) && StillNamed(name, object->fd)) {
    shm_unlink(name.c_str());
  }
  close(object->fd);
  object->fd = -1;
}

}  // namespace quorsma::platform
