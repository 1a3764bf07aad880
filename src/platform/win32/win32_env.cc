// The Windows Env: a named file mapping on the paging file, the loader's
// shared data section, the system's private-profile functions, MessageBoxA
// and OutputDebugStringA (or the host's sinks, when installed).
#include <windows.h>

#include <cerrno>
#include <cstdint>
#include <string>
#include <vector>

#include "platform/env.h"
#include "platform/profile.h"
#include "platform/win32/long_path.h"
#include "platform/win32/named_mutex.h"
#include "platform/win32/shared_data.h"

namespace quorsma::platform {
namespace {

// Properties of the section: read/write pages committed at creation
// (SEC_COMMIT | PAGE_READWRITE) and a view with full access
// (FILE_MAP_ALL_ACCESS).
constexpr DWORD kSectionProtection = 0x8000004;
constexpr DWORD kViewAccess = 0xF001F;
static_assert(kSectionProtection == (SEC_COMMIT | PAGE_READWRITE));
static_assert(kViewAccess == FILE_MAP_ALL_ACCESS);

// Longest module path Windows can report (the limit of extended-length paths).
constexpr DWORD kLongestPath = 32768;

// Always true in the 32-bit build, where std::size_t is a DWORD.
constexpr bool FitsInDword(std::size_t size) {
  if constexpr (sizeof(std::size_t) > sizeof(DWORD)) {
    return size <= 0xFFFFFFFFu;
  } else {
    return true;
  }
}

bool WriteAll(HANDLE file, const void* data, std::size_t size) {
  const char* p = static_cast<const char*>(data);
  while (size > 0) {
    DWORD chunk = size > 0x10000000u ? 0x10000000u : static_cast<DWORD>(size);
    DWORD written = 0;
    if (!::WriteFile(file, p, chunk, &written, nullptr) || written == 0) return false;
    p += written;
    size -= written;
  }
  return true;
}

// The nearest errno value of a Win32 error, for ErrorText.
int ErrnoOf(DWORD error) {
  switch (error) {
    case ERROR_FILE_NOT_FOUND:
    case ERROR_PATH_NOT_FOUND: return ENOENT;
    case ERROR_ACCESS_DENIED:
    case ERROR_SHARING_VIOLATION:
    case ERROR_WRITE_PROTECT: return EACCES;
    case ERROR_DISK_FULL:
    case ERROR_HANDLE_DISK_FULL: return ENOSPC;
    case ERROR_FILE_EXISTS:
    case ERROR_ALREADY_EXISTS: return EEXIST;
    case ERROR_INVALID_NAME:
    case ERROR_FILENAME_EXCED_RANGE: return ENAMETOOLONG;
    default: return EIO;
  }
}

// The file part of a path, without its extension ("C:\App\Tool.exe" gives
// "Tool"): the caption of message boxes, so the user sees which program is
// asking.
std::string ProgramTitle(const std::string& path) {
  std::size_t start = path.find_last_of("\\/:");
  std::string name = start == std::string::npos ? path : path.substr(start + 1);
  std::size_t dot = name.rfind('.');
  if (dot != std::string::npos && dot > 0) name.resize(dot);
  return name;
}

class Win32Env final : public Env {
 public:
  // Windows has no way to keep a new mapping from others while it is filled:
  // `created` is told, and the section is open to all at once.
  void* CreateSection(const char* name, std::size_t size, bool* created) override {
    if (!FitsInDword(size)) return nullptr;  // the high size word is 0
    SECURITY_ATTRIBUTES security = {};
    security.nLength = sizeof(SECURITY_ATTRIBUTES);  // 12 bytes on 32-bit Windows
    security.lpSecurityDescriptor = nullptr;          // default security
    security.bInheritHandle = FALSE;
    // An existing section of that name is opened as it stands: the first
    // process creates it zero-filled, later ones share its bytes.
    HANDLE handle = CreateFileMappingA(INVALID_HANDLE_VALUE, &security, kSectionProtection, 0,
                                       static_cast<DWORD>(size), name);
    if (created != nullptr) *created = handle != nullptr && GetLastError() != ERROR_ALREADY_EXISTS;
    return handle;
  }

  void* MapSection(void* handle, std::size_t size) override {
    if (handle == nullptr) return nullptr;
    return MapViewOfFile(handle, kViewAccess, 0, 0, size);
  }

  void UnmapSection(void* address, std::size_t) override {
    if (address != nullptr) UnmapViewOfFile(address);
  }

  void CloseSection(void* handle) override {
    if (handle != nullptr) CloseHandle(handle);
  }

  std::string ExecutablePath() override {
    // GetModuleFileNameA(NULL) names the process's executable, not this DLL.
    std::vector<char> buffer(MAX_PATH + 1);
    for (;;) {
      DWORD n = GetModuleFileNameA(nullptr, buffer.data(), static_cast<DWORD>(buffer.size()));
      if (n == 0) return std::string();
      if (n < buffer.size() - 1) return std::string(buffer.data(), n);
      if (buffer.size() >= kLongestPath) return std::string();  // cut: no usable path
      buffer.resize(buffer.size() * 2);
    }
  }

  std::string GetEnvironment(const char* name) override {
    std::vector<char> buffer(256);
    for (;;) {
      DWORD n = GetEnvironmentVariableA(name, buffer.data(), static_cast<DWORD>(buffer.size()));
      if (n == 0) return std::string();
      if (n < buffer.size()) return std::string(buffer.data(), n);
      buffer.resize(n);  // n is the size needed, terminator included
    }
  }

  // The system's private-profile functions serve single keys on paths below
  // MAX_PATH.  A longer path is read and written with the same rules by our
  // own profile code on the whole file, so deep installation directories
  // still work.  So are null arguments, which the system functions take as
  // requests to list or delete sections and keys: here, as on Linux, a null
  // section or key reads as missing and writes nothing new, a null value
  // writes an empty one, and a null path is a missing file that cannot be
  // written (the system would use WIN.INI).
  std::size_t GetProfileString(const char* section, const char* key, const char* fallback,
                               char* out, std::size_t size, const char* path) override {
    // Nothing can be copied into no room; the system function would not
    // even terminate the buffer.
    if (out == nullptr || size == 0) return 0;
    if (path == nullptr || section == nullptr || key == nullptr || IsLongPath(path)) {
      std::vector<char> bytes;
      if (path == nullptr || ReadFile(path, &bytes) != ReadResult::kRead) return ProfileRead(nullptr, section, key, fallback, out, size);
      std::string content(bytes.begin(), bytes.end());
      return ProfileRead(&content, section, key, fallback, out, size);
    }
    DWORD room = FitsInDword(size) ? static_cast<DWORD>(size) : 0xFFFFFFFFu;
    return GetPrivateProfileStringA(section, key, fallback ? fallback : "", out, room, path);
  }

  bool HasEnvironment(const char* name) override {
    char probe[1];
    SetLastError(ERROR_SUCCESS);
    return GetEnvironmentVariableA(name, probe, sizeof probe) != 0 || GetLastError() != ERROR_ENVVAR_NOT_FOUND;
  }

  ReadResult ReadFile(const char* path, std::vector<char>* out) override {
    if (out == nullptr) return ReadResult::kFailed;
    out->clear();
    if (path == nullptr) return ReadResult::kMissing;
    std::wstring name = WidePath(path);
    HANDLE file = CreateFileW(name.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                              nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) {
      DWORD error = GetLastError();
      return (error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND) ? ReadResult::kMissing
                                                                             : ReadResult::kFailed;
    }
    LARGE_INTEGER length = {};
    if (GetFileSizeEx(file, &length) && length.QuadPart > 0 && length.QuadPart < 0x40000000) {
      out->reserve(static_cast<std::size_t>(length.QuadPart));
    }
    char chunk[65536];
    bool ok = true;
    for (;;) {
      DWORD n = 0;
      if (!::ReadFile(file, chunk, sizeof chunk, &n, nullptr)) {
        ok = false;
        break;
      }
      if (n == 0) break;
      out->insert(out->end(), chunk, chunk + n);
    }
    CloseHandle(file);
    if (!ok) out->clear();
    return ok ? ReadResult::kRead : ReadResult::kFailed;
  }

  int WriteNewFile(const char* path, const void* data, std::size_t size, const char* like) override {
    std::wstring name = WidePath(path);
    if (name.empty()) return EINVAL;
    DWORD attributes = FILE_ATTRIBUTE_NORMAL;
    if (like != nullptr) {
      DWORD existing = GetFileAttributesW(WidePath(like).c_str());
      if (existing != INVALID_FILE_ATTRIBUTES && !(existing & FILE_ATTRIBUTE_DIRECTORY))
        attributes = existing & (FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM | FILE_ATTRIBUTE_ARCHIVE);
      if (attributes == 0) attributes = FILE_ATTRIBUTE_NORMAL;
    }
    HANDLE file = CreateFileW(name.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, attributes, nullptr);
    if (file == INVALID_HANDLE_VALUE) return ErrnoOf(GetLastError());
    int error = WriteAll(file, data, size) ? 0 : ErrnoOf(GetLastError());
    if (!CloseHandle(file) && error == 0) error = ErrnoOf(GetLastError());
    if (error != 0) DeleteFileW(name.c_str());
    return error;
  }

  int SyncFile(const char* path) override {
    HANDLE file = CreateFileW(WidePath(path).c_str(), GENERIC_WRITE,
                              FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_EXISTING,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return ErrnoOf(GetLastError());
    int error = FlushFileBuffers(file) ? 0 : ErrnoOf(GetLastError());
    CloseHandle(file);
    return error;
  }

  // Another process reading the target at that moment can make the rename
  // fail for a short while; it is tried a few times before it counts as
  // failed.  MOVEFILE_WRITE_THROUGH returns once the rename is on the disk.
  int RenameFile(const char* from, const char* to) override {
    std::wstring source = WidePath(from), target = WidePath(to);
    if (source.empty() || target.empty()) return EINVAL;
    for (int attempt = 0;; ++attempt) {
      if (MoveFileExW(source.c_str(), target.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) return 0;
      DWORD error = GetLastError();
      if (attempt >= 20 || (error != ERROR_ACCESS_DENIED && error != ERROR_SHARING_VIOLATION)) return ErrnoOf(error);
      Sleep(5);
    }
  }

  // Renames are written through already.
  int SyncDirectory(const char*) override { return 0; }

  void RemoveFile(const char* path) override { DeleteFileW(WidePath(path).c_str()); }

  std::string ResolveLinks(const char* path) override { return std::string(path); }

  unsigned long ProcessId() override { return GetCurrentProcessId(); }

  void ShowMessage(const char* text) override {
    if (DeliverToMessageSink(text)) return;
    std::string caption = ProgramTitle(ExecutablePath());
    MessageBoxA(nullptr, text, caption.c_str(), MB_OK);
  }

  void Trace(const char* text) override {
    if (DeliverToTraceSink(text)) return;
    OutputDebugStringA(text);
  }

  InterProcessLock* LogLock() override { return &log_lock_; }
  InterProcessLock* CommentFileLock() override { return &comment_lock_; }

  int32_t* SharedCommHandle() override { return &SharedData()->comm_handle; }

  // The loader drops the shared data section with the module.
  void ReleaseSharedData() override {}

 private:
  NamedMutexLock log_lock_{this, "LogLock"};
  NamedMutexLock comment_lock_{this, "CommentFileLock"};
};

}  // namespace

Env* DefaultEnv() {
  static Win32Env* env = new Win32Env;  // never destroyed: used until process exit
  return env;
}

}  // namespace quorsma::platform
