// Locks of a section held outside its image, so that only one process at a
// time does a job that must not be shared: the runner (the ladder evaluation
// state is one per section) and the collector (the value-change mailbox holds
// one line at a time).  The operating system releases a lock when its holder
// ends, however it ends; nothing is left to clean up.
//
// Protocol (the same for every program that takes these locks, whatever its
// language):
//   file    one lock file per section and job:
//             Linux    $QUORSMA_LOCK_DIR/quorsma.<section>.<job>.lock,
//                      QUORSMA_LOCK_DIR defaulting to /dev/shm
//             Windows  %QUORSMA_LOCK_DIR%\quorsma.<section>.<job>.lock,
//                      defaulting to the user's temporary directory (GetTempPath)
//           <section> is QUORSMA_SECTION, or __QR_SMA__ when unset or empty,
//           with every character other than A-Z a-z 0-9 _ - . replaced by _;
//           <job> is "runner" or "collector".  The file is created with mode
//           0600 when missing and is never removed.
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

#include <cstdint>
#include <string>
#include <string_view>

namespace quorsma::tool {

// The section name in use: QUORSMA_SECTION, else the default name.
std::string SectionName();

// The lock file of `job` ("runner", "collector") of the section in use.
std::string SectionLockPath(std::string_view job);

// Shared by the two halves of SectionLock: section_lock_posix.cc and
// section_lock_win32.cc, of which the build takes the one of its system.
namespace detail {
// Where lock files go when QUORSMA_LOCK_DIR is not set.
std::string DefaultLockDir();
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
  // reason the lock file could not be used.
  bool Acquire(std::string_view job, std::string* error);
  void Release();
  bool held() const { return handle_ != kNone; }

 private:
  static constexpr intptr_t kNone = -1;
  intptr_t handle_ = kNone;  // file descriptor or HANDLE
};

}  // namespace quorsma::tool
