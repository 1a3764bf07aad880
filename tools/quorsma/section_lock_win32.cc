// The section locks on Windows: LockFileEx on one byte far past the pid.
#include <windows.h>

#include <cstdio>

#include "section_lock.h"

namespace quorsma::tool {
namespace {

constexpr DWORD kLockOffset = 0x40000000;

std::string SystemMessage(DWORD code) {
  char text[512];
  DWORD n = FormatMessageA(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr, code, 0, text,
                           sizeof text, nullptr);
  while (n > 0 && (text[n - 1] == '\r' || text[n - 1] == '\n' || text[n - 1] == '.')) --n;
  return n ? std::string(text, n) : "error " + std::to_string(code);
}

}  // namespace

std::string detail::DefaultLockDir() {
  char temp[MAX_PATH + 1];
  const DWORD n = GetTempPathA(sizeof temp, temp);
  if (n == 0 || n > MAX_PATH) return ".";
  std::string path(temp, n);
  if (!path.empty() && (path.back() == '\\' || path.back() == '/')) path.pop_back();
  return path;
}

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
      *error = detail::BusyMessage(job, pid);
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

}  // namespace quorsma::tool
