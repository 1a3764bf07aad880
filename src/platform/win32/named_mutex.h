// Inter-process locks of the Win32 build: named mutexes, created on first
// use and kept for the life of the process.
#pragma once

#include <mutex>
#include <string>

#include "platform/env.h"

namespace quorsma::platform {

class NamedMutexLock final : public InterProcessLock {
 public:
  // `suffix` tells the locks of one section apart; the section name is read
  // from the environment when the lock is first used.
  NamedMutexLock(Env* env, const char* suffix) : env_(env), suffix_(suffix) {}
  ~NamedMutexLock() override;
  NamedMutexLock(const NamedMutexLock&) = delete;
  NamedMutexLock& operator=(const NamedMutexLock&) = delete;

  // Waits for the mutex.  A mutex left behind by a holder that died counts as
  // acquired: the protected data is taken as it stands.  When the mutex
  // cannot be created the lock does nothing rather than block for ever.
  void Lock() override;
  void Unlock() override;

  // The kernel object name for section `section` and lock `suffix`.
  static std::string ObjectName(const std::string& section, const char* suffix);

 private:
  void* Handle();

  Env* env_;
  const char* suffix_;
  std::once_flag once_;
  void* handle_ = nullptr;
};

}  // namespace quorsma::platform
