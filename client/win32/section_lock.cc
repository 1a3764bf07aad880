// The section locks on Windows: LockFileEx on one byte far past the pid.
#include <windows.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <system_error>

#include "../section_lock.h"

namespace qsc {
namespace {

constexpr DWORD kLockOffset = 0x40000000;

std::string SystemMessage(DWORD code) {
  char text[512];
  DWORD n = FormatMessageA(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr, code, 0, text,
                           sizeof text, nullptr);
  while (n > 0 && (text[n - 1] == '\r' || text[n - 1] == '\n' || text[n - 1] == '.')) --n;
  return n ? std::string(text, n) : "error " + std::to_string(code);
}

std::string PathOf(const std::string& name) { return LockDir() + "\\" + name; }

}  // namespace

FileStamp StampLockDirFile(const std::string& name) {
  FileStamp stamp;
  std::error_code error;
  const std::string path = PathOf(name);
  const auto time = std::filesystem::last_write_time(path, error);
  if (error) return stamp;
  stamp.exists = true;
  stamp.modified = static_cast<int64_t>(time.time_since_epoch().count());
  stamp.size = static_cast<int64_t>(std::filesystem::file_size(path, error));
  return stamp;
}

bool ReadLockDirFile(const std::string& name, std::size_t limit, std::string* bytes, bool* missing,
                     bool* replaceable, std::string* error) {
  *missing = false;
  *replaceable = false;
  bytes->clear();
  const std::string path = PathOf(name);
  std::error_code status;
  if (!std::filesystem::exists(path, status)) {
    *missing = true;
    return true;
  }
  if (!std::filesystem::is_regular_file(path, status)) {
    *replaceable = true;
    *error = path + " is not a regular file";
    return false;
  }
  std::ifstream in(path, std::ios::binary);
  char buffer[65536];
  while (in) {
    in.read(buffer, sizeof buffer);
    const auto n = static_cast<std::size_t>(in.gcount());
    if (bytes->size() + n > limit) {
      *replaceable = true;
      *error = path + " is larger than " + std::to_string(limit) + " bytes";
      return false;
    }
    bytes->append(buffer, n);
  }
  if (!in.eof()) {
    *error = "cannot read " + path;
    return false;
  }
  return true;
}

bool ReplaceLockDirFile(const std::string& name, const std::string& bytes, std::string* error) {
  const std::string path = PathOf(name);
  const std::string temporary = path + "." + std::to_string(GetCurrentProcessId()) + ".new";
  {
    std::ofstream out(temporary, std::ios::binary | std::ios::trunc);
    out << bytes;
    out.flush();
    if (!out) {
      *error = "cannot write " + temporary;
      std::error_code ignored;
      std::filesystem::remove(temporary, ignored);
      return false;
    }
  }
  std::error_code failure;
  std::filesystem::rename(temporary, path, failure);
  if (failure) {
    *error = "cannot replace " + path + ": " + failure.message();
    std::error_code ignored;
    std::filesystem::remove(temporary, ignored);
    return false;
  }
  return true;
}

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

}  // namespace qsc
