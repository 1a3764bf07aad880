// Envs that make file steps fail and model power cuts.
//
// FaultEnv forwards everything and fails the Nth call of one kind of file
// step (write, flush, rename, read) with a chosen error.
//
// PowerCutEnv keeps files in memory and remembers what has been flushed:
// SyncFile makes a file's bytes durable, SyncDirectory its directory's names.
// Cut() drops every byte and every name change that was not made durable,
// as a power cut does.  It runs deferred syncs only when told to, so a test
// can cut before or after them.
#pragma once

#include <cerrno>
#include <cstdint>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "platform/env.h"

namespace quorsma::testing {

enum class FileStep { kWrite, kFlush, kRename, kRead };

class FaultEnv : public platform::EnvWrapper {
 public:
  explicit FaultEnv(platform::Env* target) : EnvWrapper(target) {}

  // The `nth` call (from 1, counted from now) of `step` fails with `error`;
  // with `sticky`, every later one fails too.
  void Fail(FileStep step, int nth, int error, bool sticky = false) {
    rule_ = {step, nth, error, sticky};
    calls_ = 0;
  }
  void Heal() { rule_.nth = 0; }

  platform::ReadResult ReadFile(const char* path, std::vector<char>* out) override {
    if (Failing(FileStep::kRead)) {
      out->clear();
      return rule_.error == ENOENT ? platform::ReadResult::kMissing : platform::ReadResult::kFailed;
    }
    return EnvWrapper::ReadFile(path, out);
  }
  int WriteNewFile(const char* path, const void* data, std::size_t size, const char* like) override {
    return Failing(FileStep::kWrite) ? rule_.error : EnvWrapper::WriteNewFile(path, data, size, like);
  }
  int SyncFile(const char* path) override {
    return Failing(FileStep::kFlush) ? rule_.error : EnvWrapper::SyncFile(path);
  }
  int SyncDirectory(const char* directory) override {
    return Failing(FileStep::kFlush) ? rule_.error : EnvWrapper::SyncDirectory(directory);
  }
  int RenameFile(const char* from, const char* to) override {
    return Failing(FileStep::kRename) ? rule_.error : EnvWrapper::RenameFile(from, to);
  }

 private:
  bool Failing(FileStep step) {
    if (rule_.nth == 0 || step != rule_.step) return false;
    ++calls_;
    return calls_ == rule_.nth || (rule_.sticky && calls_ > rule_.nth);
  }

  struct Rule {
    FileStep step = FileStep::kWrite;
    int nth = 0;
    int error = 0;
    bool sticky = false;
  };
  Rule rule_;
  int calls_ = 0;
};

class PowerCutEnv : public platform::EnvWrapper {
 public:
  explicit PowerCutEnv(platform::Env* target) : EnvWrapper(target) {}

  // Sets a file's content as if it had been on the disk for long.
  void Put(const std::string& path, const std::string& content) {
    auto inode = std::make_shared<Inode>();
    inode->bytes = inode->durable = content;
    names_[path] = durable_names_[path] = inode;
  }
  // The content under `path`; false when there is none.
  bool Get(const std::string& path, std::string* out) const {
    auto it = names_.find(path);
    if (it == names_.end()) return false;
    *out = it->second->bytes;
    return true;
  }
  // What the disk holds after a power cut now (the state is not changed).
  std::map<std::string, std::string> AfterCut() const {
    std::map<std::string, std::string> files;
    for (const auto& [path, inode] : durable_names_) files[path] = inode->durable;
    return files;
  }
  // Counts every file step, so a test can take AfterCut() after each.
  int steps() const { return steps_; }
  std::vector<std::map<std::string, std::string>> cuts;  // AfterCut() after every step

  void RunDeferredSyncs() {
    auto pending = std::move(pending_);
    pending_.clear();
    for (const auto& paths : pending) Env::SyncLater(paths, nullptr);
  }
  std::size_t deferred() const { return pending_.size(); }

  platform::ReadResult ReadFile(const char* path, std::vector<char>* out) override {
    out->clear();
    auto it = names_.find(path);
    if (it == names_.end()) return platform::ReadResult::kMissing;
    out->assign(it->second->bytes.begin(), it->second->bytes.end());
    return platform::ReadResult::kRead;
  }
  int WriteNewFile(const char* path, const void* data, std::size_t size, const char*) override {
    if (names_.count(path)) return EEXIST;
    auto inode = std::make_shared<Inode>();
    inode->bytes.assign(static_cast<const char*>(data), size);
    names_[path] = inode;
    return Step();
  }
  int SyncFile(const char* path) override {
    auto it = names_.find(path);
    if (it == names_.end()) return ENOENT;
    it->second->durable = it->second->bytes;
    return Step();
  }
  int RenameFile(const char* from, const char* to) override {
    auto it = names_.find(from);
    if (it == names_.end()) return ENOENT;
    names_[to] = it->second;
    names_.erase(from);
    return Step();
  }
  int SyncDirectory(const char* directory) override {
    const std::string dir = directory;
    for (auto it = durable_names_.begin(); it != durable_names_.end();)
      it = platform::DirectoryOf(it->first) == dir ? durable_names_.erase(it) : std::next(it);
    for (const auto& [path, inode] : names_)
      if (platform::DirectoryOf(path) == dir) durable_names_[path] = inode;
    return Step();
  }
  void RemoveFile(const char* path) override {
    names_.erase(path);
    Step();
  }
  bool FileVersion(const char* path, platform::FileStamp* out) override {
    auto it = names_.find(path);
    if (it == names_.end()) return false;
    out->words[0] = it->second->id;
    out->words[1] = it->second->bytes.size();
    return true;
  }
  std::string ResolveLinks(const char* path) override { return path; }
  void SyncLater(const std::vector<std::string>& paths, platform::InterProcessLock*) override {
    pending_.push_back(paths);
  }

 private:
  struct Inode {
    Inode() : id(++NextId()) {}
    static uint64_t& NextId() {
      static uint64_t next = 0;
      return next;
    }
    uint64_t id;  // never reused, so a version names one inode
    std::string bytes;
    std::string durable;  // what a cut leaves of the bytes
  };
  int Step() {
    ++steps_;
    cuts.push_back(AfterCut());
    return 0;
  }

  std::map<std::string, std::shared_ptr<Inode>> names_;
  std::map<std::string, std::shared_ptr<Inode>> durable_names_;
  std::vector<std::vector<std::string>> pending_;
  int steps_ = 0;
};

}  // namespace quorsma::testing
