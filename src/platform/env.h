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

class Env {
 public:
  virtual ~Env() = default;

  // ---- Named shared section ----
  // Creates the named section of `size` zero-filled bytes, or opens it when it
  // exists.  Returns an opaque handle, or null on failure.
  virtual void* CreateSection(const char* name, std::size_t size) = 0;
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

  // ---- Private-profile (INI) files ----
  // Reads one key; copies at most size-1 characters and a NUL into `out` and
  // returns the number copied.  Missing file, section or key copy `fallback`.
  virtual std::size_t GetProfileString(const char* section, const char* key,
                                       const char* fallback, char* out,
                                       std::size_t size, const char* path) = 0;
  // Writes one key, creating the file and section when missing.  Returns
  // false when the file could not be written.
  virtual bool WriteProfileString(const char* section, const char* key,
                                  const char* value, const char* path) = 0;

  // ---- Whole files ----
  // Reads a whole file; false when it cannot be opened or read.
  virtual bool ReadFile(const char* path, std::vector<char>* out) = 0;
  // Replaces `path` with `data` so that a process killed at any moment leaves
  // either the old or the new content: written to a temporary file beside it,
  // flushed, then renamed over it.  False when it could not be written.
  virtual bool WriteFileAtomically(const char* path, const void* data,
                                   std::size_t size) = 0;

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

// The section name: QUORSMA_SECTION when set, else "__QR_SMA__".
std::string SectionName(Env& env);

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
