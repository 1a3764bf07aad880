// The Windows Env: a named file mapping on the paging file, the loader's
// shared data section, the system's private-profile functions, MessageBoxA
// and OutputDebugStringA (or the host's sinks, when installed).
#include <windows.h>

#include <atomic>
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
  void* CreateSection(const char* name, std::size_t size) override {
    if (!FitsInDword(size)) return nullptr;  // the high size word is 0
    SECURITY_ATTRIBUTES security = {};
    security.nLength = sizeof(SECURITY_ATTRIBUTES);  // 12 bytes on 32-bit Windows
    security.lpSecurityDescriptor = nullptr;          // default security
    security.bInheritHandle = FALSE;
    // An existing section of that name is opened as it stands: the first
    // process creates it zero-filled, later ones share its bytes.
    return CreateFileMappingA(INVALID_HANDLE_VALUE, &security, kSectionProtection, 0,
                              static_cast<DWORD>(size), name);
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
      if (path == nullptr || !ReadFile(path, &bytes)) return ProfileRead(nullptr, section, key, fallback, out, size);
      std::string content(bytes.begin(), bytes.end());
      return ProfileRead(&content, section, key, fallback, out, size);
    }
    DWORD room = FitsInDword(size) ? static_cast<DWORD>(size) : 0xFFFFFFFFu;
    return GetPrivateProfileStringA(section, key, fallback ? fallback : "", out, room, path);
  }

  bool WriteProfileString(const char* section, const char* key, const char* value,
                          const char* path) override {
    if (path == nullptr) return false;
    if (section == nullptr || key == nullptr || value == nullptr || IsLongPath(path)) {
      std::vector<char> bytes;
      std::string content;
      if (ReadFile(path, &bytes)) content.assign(bytes.begin(), bytes.end());
      std::string updated = ProfileWrite(content, section, key, value);
      return WriteFileAtomically(path, updated.data(), updated.size());
    }
    return WritePrivateProfileStringA(section, key, value, path) != FALSE;
  }

  bool ReadFile(const char* path, std::vector<char>* out) override {
    if (path == nullptr || out == nullptr) return false;
    std::wstring name = WidePath(path);
    HANDLE file = CreateFileW(name.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                              nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return false;
    out->clear();
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
    return ok;
  }

  bool WriteFileAtomically(const char* path, const void* data, std::size_t size) override {
    static std::atomic<unsigned> counter{0};
    if (path == nullptr || (data == nullptr && size > 0)) return false;
    std::wstring target = WidePath(path);
    std::wstring temporary = WidePath(std::string(path) + ".tmp." + std::to_string(GetCurrentProcessId()) + "." +
                                      std::to_string(counter.fetch_add(1)));
    if (target.empty() || temporary.empty()) return false;
    HANDLE file = CreateFileW(temporary.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return false;
    bool ok = WriteAll(file, data, size);
    ok = FlushFileBuffers(file) && ok;
    ok = CloseHandle(file) && ok;
    if (ok) ok = ReplaceWith(temporary, target);
    if (!ok) {
      DeleteFileW(temporary.c_str());
      return false;
    }
    return true;
  }

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
  // Renames the temporary file over the target.  Another process reading the
  // target at that moment can make the rename fail for a short while; it is
  // tried a few times before the write counts as failed.
  static bool ReplaceWith(const std::wstring& temporary, const std::wstring& target) {
    for (int attempt = 0; attempt < 20; ++attempt) {
      if (MoveFileExW(temporary.c_str(), target.c_str(),
                      MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
        return true;
      }
      DWORD error = GetLastError();
      if (error != ERROR_ACCESS_DENIED && error != ERROR_SHARING_VIOLATION) return false;
      Sleep(5);
    }
    return false;
  }

  NamedMutexLock log_lock_{this, "LogLock"};
  NamedMutexLock comment_lock_{this, "CommentFileLock"};
};

}  // namespace

Env* DefaultEnv() {
  static Win32Env* env = new Win32Env;  // never destroyed: used until process exit
  return env;
}

}  // namespace quorsma::platform
