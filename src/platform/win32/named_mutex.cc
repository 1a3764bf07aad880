#include "platform/win32/named_mutex.h"

#include <windows.h>

namespace quorsma::platform {

NamedMutexLock::~NamedMutexLock() {
  if (handle_ != nullptr) CloseHandle(handle_);
}

std::string NamedMutexLock::ObjectName(const std::string& section, const char* suffix) {
  // Same namespace as the section itself (a "Global\" or "Local\" prefix of
  // the section name carries over); a backslash is allowed nowhere else.
  std::string prefix, rest = section;
  for (const char* space : {"Global\\", "Local\\"}) {
    std::string p(space);
    if (rest.compare(0, p.size(), p) == 0) {
      prefix = p;
      rest = rest.substr(p.size());
      break;
    }
  }
  for (char& c : rest) {
    if (c == '\\') c = '_';
  }
  return prefix + rest + "." + suffix;
}

void* NamedMutexLock::Handle() {
  std::call_once(once_, [this] {
    std::string name = ObjectName(SectionName(*env_), suffix_);
    SECURITY_ATTRIBUTES security = {sizeof(SECURITY_ATTRIBUTES), nullptr, FALSE};
    handle_ = CreateMutexA(&security, FALSE, name.c_str());
  });
  return handle_;
}

void NamedMutexLock::Lock() {
  void* handle = Handle();
  if (handle == nullptr) return;
  // WAIT_OBJECT_0 and WAIT_ABANDONED both leave this thread the owner.
  WaitForSingleObject(handle, INFINITE);
}

void NamedMutexLock::Unlock() {
  if (handle_ != nullptr) ReleaseMutex(handle_);
}

}  // namespace quorsma::platform
