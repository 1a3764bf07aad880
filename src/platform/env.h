// What the library needs from the operating system, behind one interface.
//
// There is a POSIX and a Win32 implementation side by side; nothing outside
// src/platform includes an OS header.  Tests substitute their own Env to
// capture message boxes and trace lines or to fake the executable's path.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <utility>
#include <vector>

#include "quorsma/quorsma.h"

namespace quorsma::platform {

// Directory separator used wherever the library forms a path.
#if defined(_WIN32)
inline constexpr char kPathSeparator = '\\';
#else
inline constexpr char kPathSeparator = '/';
#endif

// A lock shared by every process on the machine, robust against a holder that
// dies: the next Lock() then succeeds and the protected data is taken as it
// stands.
class InterProcessLock {
 public:
  virtual ~InterProcessLock() = default;
  virtual void Lock() = 0;
  virtual void Unlock() = 0;
};

class ScopedLock {
 public:
  explicit ScopedLock(InterProcessLock* lock) : lock_(lock) {
    if (lock_) lock_->Lock();
  }
  ~ScopedLock() {
    if (lock_) lock_->Unlock();
  }
  ScopedLock(const ScopedLock&) = delete;
  ScopedLock& operator=(const ScopedLock&) = delete;

 private:
  InterProcessLock* lock_;
};

enum class ReadResult { kRead, kMissing, kFailed };

struct FileStamp {
  uint64_t words[5] = {};
  bool operator==(const FileStamp&) const = default;
};

// Text of an error returned by the file steps.
std::string ErrorText(int error);

// The directory part of a path ("." when it has none).
std::string DirectoryOf(const std::string& path);

class Env {
 public:
  virtual ~Env() = default;

  // ---- Named shared section ----
  // Creates the named section of `size` zero-filled bytes, or opens it when it
  // exists.  Returns an opaque handle, or null on failure.  When `created` is
  // given it tells whether this call made the section afresh; a section made
  // so is then, where the system allows (Linux), this process's alone until
  // ShareSection(handle): other processes wait to open it, so the creator
  // fills it before anyone sees it.
  virtual void* CreateSection(const char* name, std::size_t size, bool* created) = 0;
  // Lets other processes open a section created with `created` asked for.
  virtual void ShareSection([[maybe_unused]] void* handle) {}
  // Maps the whole section; null on failure.
  virtual void* MapSection(void* handle, std::size_t size) = 0;
  virtual void UnmapSection(void* address, std::size_t size) = 0;
  // Gives up this process's hold on the section (at library unload).
  virtual void CloseSection(void* handle) = 0;
  // The parts of [begin, begin + length), a stretch of a view mapped by
  // MapSection, that have ever been written: sorted, disjoint (offset from
  // begin, length) pairs in `out`.  Everything outside them reads as zero, and
  // finding them touches no page.  False when this cannot be told (then any
  // byte may hold data).
  virtual bool WrittenRanges([[maybe_unused]] const void* begin, [[maybe_unused]] std::size_t length,
                             [[maybe_unused]] std::vector<std::pair<std::size_t, std::size_t>>* out) {
    return false;
  }

  // ---- Process ----
  // Full path of the host program's executable (not of the library).
  virtual std::string ExecutablePath() = 0;
  // Value of an environment variable, or empty.
  virtual std::string GetEnvironment(const char* name) = 0;
  // True when the variable is set, even to the empty text.
  virtual bool HasEnvironment(const char* name) { return !GetEnvironment(name).empty(); }

  // ---- Private-profile (INI) files ----
  // Reads one key; copies at most size-1 characters and a NUL into `out` and
  // returns the number copied.  Missing file, section or key copy `fallback`.
  virtual std::size_t GetProfileString(const char* section, const char* key,
                                       const char* fallback, char* out,
                                       std::size_t size, const char* path) = 0;

  // ---- Files ----
  // Every step returns 0 on success or an errno value (the Win32 Env maps
  // its errors to the nearest one); ErrorText() names it.
  //
  // Reads a whole file: kRead with its bytes, kMissing when there is no such
  // file, kFailed when it exists (or may exist) but could not be read.
  virtual ReadResult ReadFile(const char* path, std::vector<char>* out) = 0;
  // Creates `path`, which must not exist, holding `data`; not flushed.  The
  // new file takes the permissions (and, where allowed, the owner) of the
  // existing file `like` when `like` is not null and exists.  A failure
  // leaves no file at `path`.
  virtual int WriteNewFile(const char* path, const void* data, std::size_t size, const char* like) = 0;
  // Makes the bytes of the named file durable (they survive a power cut).
  virtual int SyncFile(const char* path) = 0;
  // Renames `from` over `to` in one step; not durable until the directory
  // is synced.
  virtual int RenameFile(const char* from, const char* to) = 0;
  // Makes the renames and creations in `directory` durable.
  virtual int SyncDirectory(const char* directory) = 0;
  virtual void RemoveFile(const char* path) = 0;
  // What tells one version of a file from the next (device, inode, size and
  // change times): false when the file is missing or this cannot be told.
  // A replacement always changes it.
  virtual bool FileVersion([[maybe_unused]] const char* path, [[maybe_unused]] FileStamp* out) { return false; }
  // The file that a write to `path` changes: symbolic links followed to
  // their final target ("" when they loop).  `path` itself otherwise.
  virtual std::string ResolveLinks(const char* path) = 0;
  // A number that no other running process shares (temporary file names).
  virtual unsigned long ProcessId() = 0;

  // Makes files replaced with WriteFileSoon durable: flushes each of
  // `paths` and then their directory, holding `writers` (the lock every
  // replacer of these files holds) so no replacement slips in between.  The
  // default does it at once on the calling thread; the Linux Env does it on
  // a background thread shortly after.
  virtual void SyncLater(const std::vector<std::string>& paths, InterProcessLock* writers);
  // Completes every pending SyncLater before returning (library unload).
  virtual void SyncPending() {}

  // Replaces `path` with `data` so that a process killed or a power cut at
  // any moment leaves either the old or the new content: written to a new
  // file beside the target, flushed, renamed over it, directory flushed.  A
  // symbolic link is written through to its target; the target's
  // permissions are kept.  0 or the error of the step that failed.
  int ReplaceContent(const char* path, const void* data, std::size_t size);
  bool WriteFileAtomically(const char* path, const void* data, std::size_t size) {
    return ReplaceContent(path, data, size) == 0;
  }
  // The same replacement without waiting for the disk: the new content is
  // in place at once (a killed process cannot lose it) and becomes durable
  // through SyncLater(`sync_group`, `writers`).  `sync_group` lists every
  // file of the directory that is replaced this way under `writers`.
  int ReplaceContentSoon(const char* path, const void* data, std::size_t size,
                      const std::vector<std::string>& sync_group, InterProcessLock* writers);

  // ---- User-visible reports ----
  // A modal message box with only an OK button; returns once it is closed.
  virtual void ShowMessage(const char* text) = 0;
  // One line to the debug-trace output.
  virtual void Trace(const char* text) = 0;

  // ---- Inter-process locks (outside the image) ----
  // Serialises the producers of value-change lines.
  virtual InterProcessLock* LogLock() = 0;
  // Serialises rewrites of the comment file.
  virtual InterProcessLock* CommentFileLock() = 0;

  // ---- Value-change mailbox ----
  // Called by a producer right after it has set `flag` (LogLinePending of the
  // image) to 1: wakes the collectors that sleep on the flag.  Does nothing
  // more than read a counter when none sleeps.  By default collectors poll
  // and there is nobody to wake.
  virtual void LinePending([[maybe_unused]] int32_t* flag) {}

  // ---- Process-shared library data (SHARDATA) ----
  // The communication-window handle shared by every process that has the
  // library loaded; null when it cannot be had.
  virtual int32_t* SharedCommHandle() = 0;
  // Gives up this process's hold on the process-shared library data.
  virtual void ReleaseSharedData() = 0;
};

// An Env that forwards every call to another one; fault-injecting and test
// Envs derive from it and override only what they change.
class EnvWrapper : public Env {
 public:
  explicit EnvWrapper(Env* target) : target_(target) {}
  Env* target() const { return target_; }

  void* CreateSection(const char* name, std::size_t size, bool* created) override {
    return target_->CreateSection(name, size, created);
  }
  void ShareSection(void* handle) override { target_->ShareSection(handle); }
  void* MapSection(void* handle, std::size_t size) override { return target_->MapSection(handle, size); }
  void UnmapSection(void* address, std::size_t size) override { target_->UnmapSection(address, size); }
  void CloseSection(void* handle) override { target_->CloseSection(handle); }
  bool WrittenRanges(const void* begin, std::size_t length,
                     std::vector<std::pair<std::size_t, std::size_t>>* out) override {
    return target_->WrittenRanges(begin, length, out);
  }
  std::string ExecutablePath() override { return target_->ExecutablePath(); }
  std::string GetEnvironment(const char* name) override { return target_->GetEnvironment(name); }
  bool HasEnvironment(const char* name) override { return target_->HasEnvironment(name); }
  std::size_t GetProfileString(const char* section, const char* key, const char* fallback, char* out,
                               std::size_t size, const char* path) override {
    return target_->GetProfileString(section, key, fallback, out, size, path);
  }
  ReadResult ReadFile(const char* path, std::vector<char>* out) override { return target_->ReadFile(path, out); }
  int WriteNewFile(const char* path, const void* data, std::size_t size, const char* like) override {
    return target_->WriteNewFile(path, data, size, like);
  }
  int SyncFile(const char* path) override { return target_->SyncFile(path); }
  int RenameFile(const char* from, const char* to) override { return target_->RenameFile(from, to); }
  int SyncDirectory(const char* directory) override { return target_->SyncDirectory(directory); }
  void RemoveFile(const char* path) override { target_->RemoveFile(path); }
  bool FileVersion(const char* path, FileStamp* out) override { return target_->FileVersion(path, out); }
  std::string ResolveLinks(const char* path) override { return target_->ResolveLinks(path); }
  unsigned long ProcessId() override { return target_->ProcessId(); }
  // Deferred syncs run at once through this Env, so that a wrapper sees (and
  // can fail) their steps; override to defer them.
  void SyncPending() override {}
  void ShowMessage(const char* text) override { target_->ShowMessage(text); }
  void Trace(const char* text) override { target_->Trace(text); }
  InterProcessLock* LogLock() override { return target_->LogLock(); }
  InterProcessLock* CommentFileLock() override { return target_->CommentFileLock(); }
  int32_t* SharedCommHandle() override { return target_->SharedCommHandle(); }
  void ReleaseSharedData() override { target_->ReleaseSharedData(); }

 private:
  Env* target_;
};

// The section name: QUORSMA_SECTION when set, else "__QR_SMA__".
std::string SectionName(Env& env);
// The longest section name: its lock objects (the name with a suffix of up
// to ten characters, and a leading '/' on Linux) must fit the 255 characters
// the systems allow.
inline constexpr std::size_t kMaxSectionName = 240;
// Why QUORSMA_SECTION cannot be used ("" when it can, or is not set): set but
// empty, holding '/', ending in ".SHARDATA", or too long.
std::string SectionNameProblem(Env& env);

// The operating system's Env of this build (POSIX or Win32).  Lives for the
// whole process.
Env* DefaultEnv();

// Sinks of the exported smSetMessageSink/smSetTraceSink.  The default Env
// hands every text to a sink when one is set.
void SetMessageSink(QsmaTextSink sink, void* context);
void SetTraceSink(QsmaTextSink sink, void* context);
// Delivers a text to the sink if one is set; true when delivered.
bool DeliverToMessageSink(const char* text);
bool DeliverToTraceSink(const char* text);

}  // namespace quorsma::platform
