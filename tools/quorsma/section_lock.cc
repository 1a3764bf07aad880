#include "section_lock.h"

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "quorsma/quorsma.h"

#if defined(_WIN32)
#include <windows.h>
#else
#include <fcntl.h>
#include <unistd.h>
#endif

namespace quorsma::tool {
namespace {

std::string Sanitized(std::string_view name) {
  std::string out(name);
  for (char& c : out) {
    const bool keep = (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '_' ||
                      c == '-' || c == '.';
    if (!keep) c = '_';
  }
  return out;
}

std::string LockDir() {
  const char* dir = std::getenv("QUORSMA_LOCK_DIR");
  if (dir != nullptr && *dir != '\0') return dir;
#if defined(_WIN32)
  char temp[MAX_PATH + 1];
  const DWORD n = GetTempPathA(sizeof temp, temp);
  if (n == 0 || n > MAX_PATH) return ".";
  std::string path(temp, n);
  if (!path.empty() && (path.back() == '\\' || path.back() == '/')) path.pop_back();
  return path;
#else
  return "/dev/shm";
#endif
}

// "another runner is running (pid N)", without the pid when the file holds none.
std::string BusyMessage(std::string_view job, const char* pid_text) {
  const long pid = std::strtol(pid_text, nullptr, 10);
  std::string message = "another " + std::string(job) + " is running";
  if (pid > 0) message += " (pid " + std::to_string(pid) + ")";
  return message;
}

#if defined(_WIN32)
constexpr DWORD kLockOffset = 0x40000000;

std::string SystemMessage(DWORD code) {
  char text[512];
  DWORD n = FormatMessageA(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr, code, 0, text,
                           sizeof text, nullptr);
  while (n > 0 && (text[n - 1] == '\r' || text[n - 1] == '\n' || text[n - 1] == '.')) --n;
  return n ? std::string(text, n) : "error " + std::to_string(code);
}
#endif

}  // namespace

std::string SectionName() {
  const char* name = std::getenv("QUORSMA_SECTION");
  return name != nullptr && *name != '\0' ? name : QSMA_SECTION_NAME;
}

std::string SectionLockPath(std::string_view job) {
#if defined(_WIN32)
  const char separator = '\\';
#else
  const char separator = '/';
#endif
  return LockDir() + separator + "quorsma." + Sanitized(SectionName()) + "." + std::string(job) + ".lock";
}

#if defined(_WIN32)

bool SectionLock::Acquire(std::string_view job, std::string* error) {
  Release();
  const std::string path = SectionLockPath(job);
  HANDLE file = CreateFileA(path.c_str(), GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                            OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) {
    *error = "cannot open the lock file " + path + ": " + SystemMessage(GetLastError());
    return false;
  }
  OVERLAPPED at{};
  at.Offset = kLockOffset;
  if (!LockFileEx(file, LOCKFILE_EXCLUSIVE_LOCK | LOCKFILE_FAIL_IMMEDIATELY, 0, 1, 0, &at)) {
    const DWORD code = GetLastError();
    char pid[32] = {};
    DWORD got = 0;
    if (code == ERROR_LOCK_VIOLATION || code == ERROR_IO_PENDING) {
      ReadFile(file, pid, sizeof pid - 1, &got, nullptr);
      *error = BusyMessage(job, pid);
    } else {
      *error = "cannot lock " + path + ": " + SystemMessage(code);
    }
    CloseHandle(file);
    return false;
  }
  char text[32];
  const int n = std::snprintf(text, sizeof text, "%lu\n", static_cast<unsigned long>(GetCurrentProcessId()));
  DWORD written = 0;
  SetFilePointer(file, 0, nullptr, FILE_BEGIN);
  WriteFile(file, text, static_cast<DWORD>(n), &written, nullptr);
  SetEndOfFile(file);
  handle_ = reinterpret_cast<intptr_t>(file);
  return true;
}

void SectionLock::Release() {
  if (handle_ == kNone) return;
  HANDLE file = reinterpret_cast<HANDLE>(handle_);
  OVERLAPPED at{};
  at.Offset = kLockOffset;
  UnlockFileEx(file, 0, 1, 0, &at);
  CloseHandle(file);
  handle_ = kNone;
}

#else

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
      *error = BusyMessage(job, pid);
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

#endif

}  // namespace quorsma::tool
