// The section files on Linux: a directory of the user's own, files opened in
// it without following links or waiting, and an open-file-description lock on
// the whole lock file.
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>

#include "../section_lock.h"
#include "lock_group.h"

namespace qsc {
namespace {

std::string ErrorText(int code) { return std::strerror(code); }

// "a FIFO", "a directory", ...: what a file is.
std::string KindOf(mode_t mode) {
  if (S_ISDIR(mode)) return "a directory";
  if (S_ISLNK(mode)) return "a symbolic link";
  if (S_ISFIFO(mode)) return "a FIFO";
  if (S_ISSOCK(mode)) return "a socket";
  if (S_ISCHR(mode)) return "a character device";
  if (S_ISBLK(mode)) return "a block device";
  return S_ISREG(mode) ? "a regular file" : "of another kind";
}

// A file descriptor closed when it goes.
class Descriptor {
 public:
  explicit Descriptor(int fd = -1) : fd_(fd) {}
  ~Descriptor() {
    if (fd_ >= 0) close(fd_);
  }
  Descriptor(const Descriptor&) = delete;
  Descriptor& operator=(const Descriptor&) = delete;
  int get() const { return fd_; }
  int release() {
    const int fd = fd_;
    fd_ = -1;
    return fd;
  }

 private:
  int fd_;
};

std::string Octal(mode_t mode) {
  char text[8];
  std::snprintf(text, sizeof text, "%04o", static_cast<unsigned>(mode & 07777));
  return text;
}

// Gives a file or directory this process just made the sharing it needs: the
// group's, readable and writable by it (umask may have taken those bits).
void ShareWithGroup(int fd, mode_t mode) {
  const LockGroup& group = CurrentLockGroup();
  if (!group.shared) return;
  if (fchown(fd, static_cast<uid_t>(-1), group.gid) == 0) fchmod(fd, mode);
}

// Opens the lock directory once it is known to be safe: a directory (not a
// link to one) that other users cannot write, and either this user's (or, when
// QUORSMA_LOCK_DIR names it, root's) or, for the group's default directory,
// one of the group's.  The default directory is made when missing.  -1 with
// the reason otherwise.
int OpenLockDir(std::string* error) {
  const bool chosen = detail::LockDirChosen();
  const LockGroup& group = CurrentLockGroup();
  const bool group_dir = !chosen && group.shared;
  const std::string dir = LockDir();
  const std::string named = dir + (chosen ? " (QUORSMA_LOCK_DIR)" : "");
  const std::string rule = group_dir ? "; it must be a directory of group " + std::to_string(group.gid) +
                                           " with mode 2770 that other users cannot write"
                                     : "; it must be a directory of this user that other users cannot write";
  bool made = false;
  if (!chosen) {
    if (mkdir(dir.c_str(), group_dir ? 02770 : 0700) == 0) made = true;
    else if (errno != EEXIST) {
      *error = "cannot make the lock directory " + named + ": " + ErrorText(errno);
      return -1;
    }
  }
  const int fd = open(dir.c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
  if (fd < 0) {
    const int code = errno;
    struct stat seen {};
    if ((code == ELOOP || code == ENOTDIR) && lstat(dir.c_str(), &seen) == 0 && !S_ISDIR(seen.st_mode)) {
      *error = "the lock directory " + named + " is " + KindOf(seen.st_mode) + rule;
    } else if (code == ENOENT && chosen) {
      *error = "the lock directory " + named + " does not exist";
    } else {
      *error = "cannot open the lock directory " + named + ": " + ErrorText(code);
    }
    return -1;
  }
  Descriptor directory(fd);
  if (made && group_dir) ShareWithGroup(fd, 02770);
  struct stat st {};
  if (fstat(fd, &st) != 0) {
    *error = "cannot examine the lock directory " + named + ": " + ErrorText(errno);
    return -1;
  }
  if (group_dir) {
    // Only a member (or root) can give a directory to the group, so a
    // directory of the group was made by one of the plant's own users.
    if (st.st_gid != group.gid) {
      *error = "the lock directory " + named + " belongs to another group (gid " + std::to_string(st.st_gid) + ")" +
               rule;
      return -1;
    }
  } else if (st.st_uid != geteuid() && !(chosen && st.st_uid == 0)) {
    *error = "the lock directory " + named + " belongs to another user (uid " + std::to_string(st.st_uid) + ")" + rule;
    return -1;
  }
  if ((st.st_mode & S_IWOTH) != 0) {
    *error = "the lock directory " + named + " is writable by other users (mode " + Octal(st.st_mode) + ")" + rule;
    return -1;
  }
  return directory.release();
}

// Opens `name` in the lock directory `dir` without following a link and
// without waiting, and keeps it only when it is a regular file with one link.
// `flags` is O_RDONLY or O_RDWR | O_CREAT.  -1 with the reason otherwise
// (*missing set, and no reason, for a missing file opened without O_CREAT),
// and *wrong_kind set to the mode of what is there when that is at fault.
int OpenRegular(int dir, const std::string& name, int flags, bool* missing, mode_t* wrong_kind, std::string* error) {
  const std::string path = LockDir() + "/" + name;
  const int open_flags = flags | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC;
  // Made anew (O_EXCL) when missing, so that only a file this process made is
  // given to the group; one made earlier keeps what its maker gave it.
  bool made = false;
  int fd = -1;
  if ((flags & O_CREAT) != 0) {
    fd = openat(dir, name.c_str(), open_flags | O_EXCL, 0600);
    made = fd >= 0;
    if (fd < 0 && errno == EEXIST) fd = openat(dir, name.c_str(), open_flags & ~O_CREAT);
  } else {
    fd = openat(dir, name.c_str(), open_flags);
  }
  if (made) ShareWithGroup(fd, 0660);
  struct stat st {};
  if (fd < 0) {
    const int code = errno;
    if (code == ENOENT && missing != nullptr) {
      *missing = true;
      return -1;
    }
    if (fstatat(dir, name.c_str(), &st, AT_SYMLINK_NOFOLLOW) == 0 && !S_ISREG(st.st_mode)) {
      *wrong_kind = st.st_mode;
      *error = path + " is " + KindOf(st.st_mode) + ", not a regular file";
    } else {
      *error = "cannot open " + path + ": " + ErrorText(code);
    }
    return -1;
  }
  Descriptor file(fd);
  if (fstat(fd, &st) != 0) {
    *error = "cannot examine " + path + ": " + ErrorText(errno);
    return -1;
  }
  if (!S_ISREG(st.st_mode) || st.st_nlink != 1) {
    *wrong_kind = st.st_mode;
    *error = path + (S_ISREG(st.st_mode) ? " has other names (hard links)" : " is " + KindOf(st.st_mode) +
                                                                              ", not a regular file");
    return -1;
  }
  // Reads and writes of a regular file do not wait anyway; cleared for clarity.
  fcntl(fd, F_SETFL, fcntl(fd, F_GETFL) & ~O_NONBLOCK);
  return file.release();
}

}  // namespace

std::string detail::DefaultLockDir() {
  const LockGroup& group = CurrentLockGroup();
  if (group.shared) return "/dev/shm/quorsma-group-" + std::to_string(group.gid);
  return "/dev/shm/quorsma-" + std::to_string(geteuid());
}

FileStamp StampLockDirFile(const std::string& name) {
  FileStamp stamp;
  struct stat st {};
  if (lstat((LockDir() + "/" + name).c_str(), &st) != 0) return stamp;
  stamp.exists = true;
  stamp.inode = static_cast<int64_t>(st.st_ino);
  stamp.size = static_cast<int64_t>(st.st_size);
  stamp.modified = static_cast<int64_t>(st.st_mtim.tv_sec) * 1000000000 + st.st_mtim.tv_nsec;
  stamp.mode = st.st_mode;
  return stamp;
}

bool ReadLockDirFile(const std::string& name, std::size_t limit, std::string* bytes, bool* missing,
                     bool* replaceable, std::string* error) {
  *missing = false;
  *replaceable = false;
  bytes->clear();
  Descriptor dir(OpenLockDir(error));
  if (dir.get() < 0) return false;
  mode_t wrong_kind = 0;
  Descriptor file(OpenRegular(dir.get(), name, O_RDONLY, missing, &wrong_kind, error));
  // Renaming a new file over the name replaces anything but a directory.
  *replaceable = wrong_kind != 0 && !S_ISDIR(wrong_kind);
  if (file.get() < 0) return *missing;
  const std::string path = LockDir() + "/" + name;
  char buffer[65536];
  for (;;) {
    const ssize_t n = read(file.get(), buffer, sizeof buffer);
    if (n == 0) break;
    if (n < 0) {
      if (errno == EINTR) continue;
      *error = "cannot read " + path + ": " + ErrorText(errno);
      return false;
    }
    if (bytes->size() + static_cast<std::size_t>(n) > limit) {
      *replaceable = true;
      *error = path + " is larger than " + std::to_string(limit) + " bytes";
      return false;
    }
    bytes->append(buffer, static_cast<std::size_t>(n));
  }
  return true;
}

bool ReplaceLockDirFile(const std::string& name, const std::string& bytes, std::string* error) {
  Descriptor dir(OpenLockDir(error));
  if (dir.get() < 0) return false;
  const std::string path = LockDir() + "/" + name;
  // A name of this process's own, made anew: a file left by an earlier process
  // of the same pid is removed first, and nothing at the name is followed.
  const std::string temporary = name + "." + std::to_string(getpid()) + ".new";
  int fd = -1;
  for (int attempt = 0; attempt < 2 && fd < 0; ++attempt) {
    fd = openat(dir.get(), temporary.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0600);
    if (fd < 0 && errno == EEXIST && attempt == 0) unlinkat(dir.get(), temporary.c_str(), 0);
  }
  if (fd < 0) {
    *error = "cannot write " + LockDir() + "/" + temporary + ": " + ErrorText(errno);
    return false;
  }
  ShareWithGroup(fd, 0660);
  std::size_t done = 0;
  int failure = 0;
  while (done < bytes.size() && failure == 0) {
    const ssize_t n = write(fd, bytes.data() + done, bytes.size() - done);
    if (n > 0) done += static_cast<std::size_t>(n);
    else if (n < 0 && errno != EINTR) failure = errno;
  }
  if (close(fd) != 0 && failure == 0) failure = errno;
  if (failure == 0 && renameat(dir.get(), temporary.c_str(), dir.get(), name.c_str()) != 0) {
    *error = "cannot replace " + path + ": " + ErrorText(errno);
    unlinkat(dir.get(), temporary.c_str(), 0);
    return false;
  }
  if (failure != 0) {
    *error = "cannot write " + LockDir() + "/" + temporary + ": " + ErrorText(failure);
    unlinkat(dir.get(), temporary.c_str(), 0);
    return false;
  }
  return true;
}

bool SectionLock::Acquire(std::string_view job, std::string* error) {
  Release();
  const std::string path = SectionLockPath(job);
  Descriptor dir(OpenLockDir(error));
  if (dir.get() < 0) return false;
  mode_t wrong_kind = 0;
  const int fd = OpenRegular(dir.get(), SectionFileName(std::string(job) + ".lock"), O_RDWR | O_CREAT, nullptr,
                             &wrong_kind, error);
  if (fd < 0) {
    if (wrong_kind != 0) *error += "; remove it";
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
      *error = "cannot lock " + path + ": " + ErrorText(code);
    }
    close(fd);
    return false;
  }
  char text[32];
  const int n = std::snprintf(text, sizeof text, "%ld\n", static_cast<long>(getpid()));
  // Written before the cut, so a reader never finds the file empty.
  if (pwrite(fd, text, static_cast<std::size_t>(n), 0) != n || ftruncate(fd, n) != 0) {
    *error = "cannot write " + path + ": " + ErrorText(errno);
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

}  // namespace qsc
