// Locks of a section held outside its image, so that only one process at a
// time does a job that must not be shared: the runner (the ladder evaluation
// state is one per section) and the collector (the value-change mailbox holds
// one line at a time).  The operating system releases a lock when its holder
// ends, however it ends; nothing is left to clean up.  The same directory
// keeps the section's other small files (the force table, force_table.h).
//
// Protocol (the same for every program that takes these locks, whatever its
// language):
//   dir     Linux: $QUORSMA_LOCK_DIR, else /dev/shm/quorsma-<uid> (<uid> the
//           effective user id), or /dev/shm/quorsma-group-<gid> when the
//           plant's group applies (posix/lock_group.h).  /dev/shm is writable
//           by every user, so the files live in a directory of their own that
//           others cannot write: the default one is made (mode 0700, or 2770
//           for the group's) when missing; a directory named by
//           QUORSMA_LOCK_DIR must exist.  Each is refused unless it is a
//           directory (not a symbolic link), not writable by others, and
//           owned by this user (or, for QUORSMA_LOCK_DIR, by root; writable by
//           its group is accepted) or, for the group's, of the group.
//           Files made in the group's directory are 0660 and the group's.
//           Windows: %QUORSMA_LOCK_DIR%, else the user's temporary directory
//           (GetTempPath), not checked: it is the user's own.
//   file    one lock file per section and job in that directory:
//           quorsma.<section>.<job>.lock; <section> is QUORSMA_SECTION, or
//           __QR_SMA__ when unset or empty, with every character other than
//           A-Z a-z 0-9 _ - . replaced by _; <job> is "runner" or "collector".
//           Linux: opened without following a symbolic link and without
//           waiting (O_NOFOLLOW | O_NONBLOCK, so a FIFO cannot hold the
//           opener), created with mode 0600 when missing, and refused unless
//           it is a regular file with one link.  It is never removed.
//   lock    Linux: a write lock on the whole file by fcntl, taken without
//           waiting (F_OFD_SETLK here; Python's fcntl.lockf(f, LOCK_EX |
//           LOCK_NB) takes a classic record lock, and the two kinds conflict).
//           Windows: LockFileEx, exclusive and failing immediately, on the one
//           byte at offset 0x40000000 (msvcrt.locking after a seek there takes
//           the same), so that the pid below stays readable.
//   holder  once locked, the holder writes its decimal pid and a newline at
//           offset 0 and cuts the file to that length.  A program that finds
//           the lock taken reads the pid from the file for its message:
//           "another runner is running (pid N)".
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "section.h"

namespace qsc {

// The directory of the section files (QUORSMA_LOCK_DIR, else the default),
// as a path; whether it is safe is checked when a file in it is opened.
std::string LockDir();

// "quorsma.<section>.<suffix>" for the section in use: the name of one of
// its files in the lock directory.
std::string SectionFileName(std::string_view suffix);

// The lock file of `job` ("runner", "collector") of the section in use.
std::string SectionLockPath(std::string_view job);

// What identifies one version of a file: a file replaced by another, or
// changed in place, gives another stamp.  `exists` is false for a missing
// file (and anything that cannot be examined).
struct FileStamp {
  bool exists = false;
  int64_t inode = 0;
  int64_t size = 0;
  int64_t modified = 0;  // modification time in the system's own ticks
  uint32_t mode = 0;
  bool operator==(const FileStamp&) const = default;
};

// The small files of the lock directory other than the locks (the force
// table), by their name there.
// The stamp of the file, without following a symbolic link; one call to the
// system, for checking often whether the file changed.
FileStamp StampLockDirFile(const std::string& name);
// Reads the whole file, when it is a regular file of at most `limit` bytes.
// A missing file gives true with *missing set.  False with a reason naming the
// path otherwise; *replaceable tells whether the file itself is at fault (not
// a regular file, too large), so that writing it anew would mend it, rather
// than the directory or the system.
bool ReadLockDirFile(const std::string& name, std::size_t limit, std::string* bytes, bool* missing,
                     bool* replaceable, std::string* error);
// Replaces the file whole: the bytes go to a new file of this process, made
// with mode 0600 (never through an existing file or link), which is then
// renamed over the old one, so a reader finds the old file or the new one.
bool ReplaceLockDirFile(const std::string& name, const std::string& bytes, std::string* error);

// Shared by the two halves of SectionLock: section_lock_posix.cc and
// section_lock_win32.cc, of which the build takes the one of its system.
namespace detail {
// Where lock files go when QUORSMA_LOCK_DIR is not set.
std::string DefaultLockDir();
// True when QUORSMA_LOCK_DIR names the directory.
bool LockDirChosen();
// "another <job> is running (pid N)", without the pid when `pid_text` holds none.
std::string BusyMessage(std::string_view job, const char* pid_text);
}  // namespace detail

class SectionLock {
 public:
  SectionLock() = default;
  ~SectionLock() { Release(); }
  SectionLock(const SectionLock&) = delete;
  SectionLock& operator=(const SectionLock&) = delete;

  // Takes the lock of `job` without waiting.  On failure returns false with
  // "another <job> is running (pid N)" when another process holds it, or the
  // reason the lock directory or file could not be used.
  bool Acquire(std::string_view job, std::string* error);
  void Release();
  bool held() const { return handle_ != kNone; }

 private:
  static constexpr intptr_t kNone = -1;
  intptr_t handle_ = kNone;  // file descriptor or HANDLE
};

}  // namespace qsc
