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

class TestEnv : public platform::EnvWrapper {
 public:
  TestEnv() : EnvWrapper(platform::DefaultEnv()) {}

  std::vector<std::string> messages;  // message-box texts, in order
  std::vector<std::string> traces;    // trace lines, in order
  std::string executable_path;        // used when not empty
  std::map<std::string, std::string> environment;  // overrides

  void Clear() {
    messages.clear();
    traces.clear();
  }

  std::string ExecutablePath() override {
    return executable_path.empty() ? target()->ExecutablePath() : executable_path;
  }
  std::string GetEnvironment(const char* name) override {
    auto it = environment.find(name);
    return it != environment.end() ? it->second : target()->GetEnvironment(name);
  }
  bool HasEnvironment(const char* name) override {
    return environment.count(name) != 0 || target()->HasEnvironment(name);
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

  LocalLock log_lock_;
  LocalLock comment_lock_;
  int32_t comm_handle_ = 0;
};

}  // namespace quorsma::testing
