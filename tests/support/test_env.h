// An Env for tests: captures message boxes and trace lines, can pretend to be
// another executable, and keeps locks and the shared window handle private to
// the test.  Files and sections go to the real platform.
#pragma once

#include <map>
#include <mutex>
#include <string>
#include <vector>

#include "platform/env.h"

namespace quorsma::testing {

class TestEnv : public platform::Env {
 public:
  TestEnv() : real_(platform::DefaultEnv()) {}

  std::vector<std::string> messages;  // message-box texts, in order
  std::vector<std::string> traces;    // trace lines, in order
  std::string executable_path;        // used when not empty
  std::map<std::string, std::string> environment;  // overrides

  void Clear() {
    messages.clear();
    traces.clear();
  }

  void* CreateSection(const char* name, std::size_t size) override { return real_->CreateSection(name, size); }
  void* MapSection(void* handle, std::size_t size) override { return real_->MapSection(handle, size); }
  void UnmapSection(void* address, std::size_t size) override { real_->UnmapSection(address, size); }
  void CloseSection(void* handle) override { real_->CloseSection(handle); }
  std::string ExecutablePath() override {
    return executable_path.empty() ? real_->ExecutablePath() : executable_path;
  }
  std::string GetEnvironment(const char* name) override {
    auto it = environment.find(name);
    return it != environment.end() ? it->second : real_->GetEnvironment(name);
  }
  std::size_t GetProfileString(const char* section, const char* key, const char* fallback, char* out,
                               std::size_t size, const char* path) override {
    return real_->GetProfileString(section, key, fallback, out, size, path);
  }
  bool WriteProfileString(const char* section, const char* key, const char* value, const char* path) override {
    return real_->WriteProfileString(section, key, value, path);
  }
  bool ReadFile(const char* path, std::vector<char>* out) override { return real_->ReadFile(path, out); }
  bool WriteFileAtomically(const char* path, const void* data, std::size_t size) override {
    return real_->WriteFileAtomically(path, data, size);
  }
  void ShowMessage(const char* text) override { messages.emplace_back(text); }
  void Trace(const char* text) override { traces.emplace_back(text); }
  platform::InterProcessLock* LogLock() override { return &log_lock_; }
  platform::InterProcessLock* CommentFileLock() override { return &comment_lock_; }
  int32_t* SharedCommHandle() override { return &comm_handle_; }
  void ReleaseSharedData() override {}

 private:
  class LocalLock final : public platform::InterProcessLock {
   public:
    void Lock() override { mutex_.lock(); }
    void Unlock() override { mutex_.unlock(); }

   private:
    std::mutex mutex_;
  };

  platform::Env* real_;
  LocalLock log_lock_;
  LocalLock comment_lock_;
  int32_t comm_handle_ = 0;
};

}  // namespace quorsma::testing
