// The Linux Env: POSIX shared memory, /proc/self/exe, our own private-profile
// files, standard error for message boxes and (on request) trace lines.
#include <errno.h>
#include <fcntl.h>
#include <limits.h>
#include <linux/futex.h>
#include <pthread.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <sys/syscall.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <mutex>
#include <string>
#include <vector>

#include "platform/env.h"
#include "platform/posix/background_sync.h"
#include "platform/posix/library_data.h"
#include "platform/posix/shared_access.h"
#include "platform/posix/shared_object.h"
#include "platform/profile.h"

namespace quorsma::platform {
namespace {

// Where the system keeps the POSIX shared-memory objects.
constexpr char kSharedMemoryDir[] = "/dev/shm";

struct SectionHandle {
  std::string name;
  SharedObject object;
};

// Writes all of `data` to `fd`; false on any failure.
bool WriteAll(int fd, const void* data, std::size_t size) {
  const char* p = static_cast<const char*>(data);
  while (size > 0) {
    ssize_t n = write(fd, p, size);
    if (n < 0) {
      if (errno == EINTR) continue;
      return false;
    }
    p += n;
    size -= static_cast<std::size_t>(n);
  }
  return true;
}

class RobustLock final : public InterProcessLock {
 public:
  explicit RobustLock(pthread_mutex_t LibraryData::*member) : member_(member) {}
  void Bind(LibraryData* data) { data_ = data; }
  void Lock() override {
    if (data_) LockRobust(&(data_->*member_));
  }
  void Unlock() override {
    if (data_) pthread_mutex_unlock(&(data_->*member_));
  }

 private:
  pthread_mutex_t LibraryData::*member_;
  LibraryData* data_ = nullptr;
};

class PosixEnv final : public Env {
 public:
  void* CreateSection(const char* name, std::size_t size, bool* created) override {
    const SharedAccess& access = Access();
    auto* handle = new SectionHandle;
    handle->name = SharedObjectName(name);
    // The whole section is reserved when it is created, as on Windows: a
    // sparse one would fail later, at the first write to a page that finds
    // the shared-memory file system full, and that failure is a bus error
    // in whichever process writes.  QUORSMA_SPARSE_SECTION=1 leaves it
    // sparse, for small machines that accept that risk.
    const bool sparse = GetEnvironment("QUORSMA_SPARSE_SECTION") == "1";
    std::function<bool(int)> reserve;
    if (!sparse) {
      reserve = [size](int fd) {
        int error = posix_fallocate(fd, 0, static_cast<off_t>(size));
        if (error != 0) errno = error;
        return error == 0;
      };
    }
    if (!OpenSharedObject(handle->name, size, &handle->object, reserve, &access, created != nullptr)) {
      const int error = errno;
      if (!sparse && (error == ENOSPC || error == ENOMEM))
        ShowMessage(("The shared section needs " + std::to_string(size) +
                     " bytes of shared memory (/dev/shm), which it does not have: " + ErrorText(error))
                        .c_str());
      if (error == EACCES || error == EPERM) {
        const std::string hint = AccessHint(kSharedMemoryDir + handle->name);
        ShowMessage(("The shared section " + handle->name + " cannot be opened: " + ErrorText(error) +
                     (hint.empty() ? std::string() : ". " + hint))
                        .c_str());
      }
      delete handle;
      return nullptr;
    }
    if (handle->object.access_error != 0)
      ShowMessage(("The shared section " + handle->name + " could not be given to group " + access.group_name + ": " +
                   ErrorText(handle->object.access_error) + "; only its owner can use it")
                      .c_str());
    if (created != nullptr) *created = handle->object.created;
    return handle;
  }

  void ShareSection(void* handle) override {
    if (handle != nullptr) ShareSharedObject(&static_cast<SectionHandle*>(handle)->object);
  }

  void* MapSection(void* handle, std::size_t size) override {
    auto* section = static_cast<SectionHandle*>(handle);
    // MAP_NORESERVE: pages come into being as they are written.
    void* address = mmap(nullptr, size, PROT_READ | PROT_WRITE, MAP_SHARED | MAP_NORESERVE,
                         section->object.fd, 0);
    if (address == MAP_FAILED) return nullptr;
    std::lock_guard<std::mutex> guard(views_mutex_);
    views_.push_back({static_cast<const char*>(address), size, section->object.fd});
    return address;
  }

  void UnmapSection(void* address, std::size_t size) override {
    if (address == nullptr) return;
    {
      std::lock_guard<std::mutex> guard(views_mutex_);
      std::erase_if(views_, [&](const View& v) { return v.base == address; });
    }
    munmap(address, size);
  }

  void CloseSection(void* handle) override {
    auto* section = static_cast<SectionHandle*>(handle);
    if (section == nullptr) return;
    {
      std::lock_guard<std::mutex> guard(views_mutex_);
      std::erase_if(views_, [&](const View& v) { return v.fd == section->object.fd; });
    }
    CloseSharedObject(section->name, &section->object);
    delete section;
  }

  // The section is a sparse tmpfs object: the data/hole map of its descriptor
  // tells which pages were ever written, without faulting any of them in.
  bool WrittenRanges(const void* begin, std::size_t length,
                     std::vector<std::pair<std::size_t, std::size_t>>* out) override {
    out->clear();
    const char* p = static_cast<const char*>(begin);
    std::lock_guard<std::mutex> guard(views_mutex_);
    for (const View& view : views_) {
      if (p < view.base || length > view.size || static_cast<std::size_t>(p - view.base) > view.size - length)
        continue;
      const off_t start = static_cast<off_t>(p - view.base);
      const off_t end = start + static_cast<off_t>(length);
      off_t at = start;
      while (at < end) {
        off_t data = lseek(view.fd, at, SEEK_DATA);
        if (data < 0) {
          if (errno == ENXIO) break;  // no data after `at`
          out->clear();
          return false;
        }
        if (data >= end) break;
        off_t hole = lseek(view.fd, data, SEEK_HOLE);
        if (hole < 0) {
          out->clear();
          return false;
        }
        if (hole > end) hole = end;
        out->emplace_back(static_cast<std::size_t>(data - start), static_cast<std::size_t>(hole - data));
        at = hole;
      }
      return true;
    }
    return false;
  }

  std::string ExecutablePath() override {
    char buffer[PATH_MAX + 1];
    ssize_t n = readlink("/proc/self/exe", buffer, PATH_MAX);
    if (n <= 0) return std::string();
    return std::string(buffer, static_cast<std::size_t>(n));
  }

  std::string GetEnvironment(const char* name) override {
    const char* value = std::getenv(name);
    return value ? std::string(value) : std::string();
  }

  bool HasEnvironment(const char* name) override { return std::getenv(name) != nullptr; }

  std::size_t GetProfileString(const char* section, const char* key, const char* fallback,
                               char* out, std::size_t size, const char* path) override {
    std::vector<char> bytes;
    if (ReadFile(path, &bytes) != ReadResult::kRead) return ProfileRead(nullptr, section, key, fallback, out, size);
    std::string content(bytes.begin(), bytes.end());
    return ProfileRead(&content, section, key, fallback, out, size);
  }

  ReadResult ReadFile(const char* path, std::vector<char>* out) override {
    out->clear();
    int fd = open(path, O_RDONLY | O_CLOEXEC);
    if (fd < 0) return (errno == ENOENT || errno == ENOTDIR) ? ReadResult::kMissing : ReadResult::kFailed;
    struct stat st = {};
    std::size_t expected = (fstat(fd, &st) == 0 && st.st_size > 0) ? static_cast<std::size_t>(st.st_size) : 0;
    // Read straight into the result, growing it only if the file grew.
    out->resize(expected + 1);
    std::size_t filled = 0;
    for (;;) {
      if (filled == out->size()) out->resize(out->size() * 2 + 4096);
      ssize_t n = read(fd, out->data() + filled, out->size() - filled);
      if (n < 0) {
        if (errno == EINTR) continue;
        close(fd);
        out->clear();
        return ReadResult::kFailed;
      }
      if (n == 0) break;
      filled += static_cast<std::size_t>(n);
    }
    close(fd);
    out->resize(filled);
    return ReadResult::kRead;
  }

  int WriteNewFile(const char* path, const void* data, std::size_t size, const char* like) override {
    // The content is written to an unnamed file in the target's directory
    // and only given its name once complete, so a writer killed mid-write
    // leaves no partial file behind.
    const std::string directory = DirectoryOf(path);
    int fd = open(directory.c_str(), O_TMPFILE | O_WRONLY | O_CLOEXEC, 0644);
    bool named = false;
    if (fd < 0) {
      fd = open(path, O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0644);
      if (fd < 0) return errno;
      named = true;
    }
    int error = WriteAll(fd, data, size) ? 0 : errno;
    struct stat st = {};
    if (error == 0 && like != nullptr && stat(like, &st) == 0) {
      // What the user set on the file is kept; the owner only where this
      // process may give it away, the group where this process is in it
      // (a member of the plant's group rewriting a file of the service).
      if (fchown(fd, st.st_uid, st.st_gid) != 0 && fchown(fd, static_cast<uid_t>(-1), st.st_gid) != 0) {
        // Not permitted: the file stays this process's own.
      }
      if (fchmod(fd, st.st_mode & 07777) != 0) error = errno;
    } else if (error == 0) {
      // A new file: shared with the plant's group when one is set, else as
      // the process's umask makes it.
      const SharedAccess& access = Access();
      if (access.has_group || !GetEnvironment(kModeVariable).empty()) ApplySharedAccess(fd, access);
    }
    if (error == 0 && !named) {
      char proc_path[64];
      std::snprintf(proc_path, sizeof proc_path, "/proc/self/fd/%d", fd);
      if (linkat(AT_FDCWD, proc_path, AT_FDCWD, path, AT_SYMLINK_FOLLOW) == 0)
        named = true;
      else
        error = errno;
    }
    if (close(fd) != 0 && error == 0) error = errno;
    if (error != 0 && named) unlink(path);
    return error;
  }

  int SyncFile(const char* path) override {
    int fd = open(path, O_RDONLY | O_CLOEXEC);
    if (fd < 0) return errno;
    int error = fdatasync(fd) == 0 ? 0 : errno;
    close(fd);
    return error;
  }

  int RenameFile(const char* from, const char* to) override { return rename(from, to) == 0 ? 0 : errno; }

  int SyncDirectory(const char* directory) override {
    int fd = open(directory, O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0) return errno;
    int error = fsync(fd) == 0 ? 0 : errno;
    close(fd);
    return error;
  }

  void RemoveFile(const char* path) override { unlink(path); }

  bool FileVersion(const char* path, FileStamp* out) override {
    struct stat st = {};
    if (stat(path, &st) != 0) return false;
    out->words[0] = static_cast<uint64_t>(st.st_dev);
    out->words[1] = static_cast<uint64_t>(st.st_ino);
    out->words[2] = static_cast<uint64_t>(st.st_size);
    out->words[3] = static_cast<uint64_t>(st.st_mtim.tv_sec) * 1000000000u + static_cast<uint64_t>(st.st_mtim.tv_nsec);
    out->words[4] = static_cast<uint64_t>(st.st_ctim.tv_sec) * 1000000000u + static_cast<uint64_t>(st.st_ctim.tv_nsec);
    return true;
  }

  std::string ResolveLinks(const char* path) override {
    std::string at(path);
    for (int hop = 0; hop < 40; ++hop) {
      struct stat st = {};
      if (lstat(at.c_str(), &st) != 0 || !S_ISLNK(st.st_mode)) return at;
      char buffer[PATH_MAX + 1];
      ssize_t n = readlink(at.c_str(), buffer, PATH_MAX);
      if (n <= 0) return at;
      std::string link(buffer, static_cast<std::size_t>(n));
      at = link[0] == '/' ? link : DirectoryOf(at) + "/" + link;
    }
    return std::string();  // a loop of links
  }

  unsigned long ProcessId() override { return static_cast<unsigned long>(getpid()); }

  void SyncLater(const std::vector<std::string>& paths, InterProcessLock* writers) override {
    syncer_.Add(paths, writers);
  }
  void SyncPending() override { syncer_.Finish(); }

  void ShowMessage(const char* text) override {
    if (DeliverToMessageSink(text)) return;
    std::fprintf(stderr, "%s\n", text);
    std::fflush(stderr);
  }

  void Trace(const char* text) override {
    if (DeliverToTraceSink(text)) return;
    if (GetEnvironment("QUORSMA_TRACE") != "stderr") return;
    std::size_t n = std::strlen(text);
    std::fprintf(stderr, (n > 0 && text[n - 1] == '\n') ? "%s" : "%s\n", text);
    std::fflush(stderr);
  }

  InterProcessLock* LogLock() override {
    BindLocks();
    return &log_lock_;
  }

  InterProcessLock* CommentFileLock() override {
    BindLocks();
    return &comment_lock_;
  }

  void LinePending(int32_t* flag) override {
    BindLocks();
    // Sequentially consistent, as is the producer's store of the flag and the
    // sleeper's add: either the sleeper sees the flag set and does not sleep,
    // or this read sees the sleeper and wakes it.
    if (waiters_ == nullptr || std::atomic_ref<uint32_t>(*waiters_).load(std::memory_order_seq_cst) == 0) return;
    syscall(SYS_futex, flag, FUTEX_WAKE, INT_MAX, nullptr, nullptr, 0);
  }

  int32_t* SharedCommHandle() override {
    LibraryData* data = Data();
    return data ? &data->comm_handle : nullptr;
  }

  void ReleaseSharedData() override { DetachLibraryData(); }

 private:
  LibraryData* Data() {
    return AttachLibraryData(SectionName(*this).c_str(), Access());
  }

  // Read once per process, when first needed; a setting that cannot be used
  // is reported then.
  const SharedAccess& Access() {
    std::call_once(access_once_, [this] {
      access_ = ResolveSharedAccess(HasEnvironment(kGroupVariable), GetEnvironment(kGroupVariable),
                                    GetEnvironment(kModeVariable));
      if (!access_.problem.empty()) ShowMessage(access_.problem.c_str());
    });
    return access_;
  }

  void BindLocks() {
    std::call_once(bind_once_, [this] {
      LibraryData* data = Data();
      log_lock_.Bind(data);
      comment_lock_.Bind(data);
      if (data != nullptr) waiters_ = &data->collector_waiters;
    });
  }

  // The views this process has mapped, for WrittenRanges.
  struct View {
    const char* base;
    std::size_t size;
    int fd;
  };
  std::mutex views_mutex_;
  std::vector<View> views_;

  std::once_flag access_once_;
  SharedAccess access_;
  BackgroundSync syncer_{this};
  std::once_flag bind_once_;
  RobustLock log_lock_{&LibraryData::log_lock};
  RobustLock comment_lock_{&LibraryData::comment_file_lock};
  uint32_t* waiters_ = nullptr;
};

}  // namespace

Env* DefaultEnv() {
  static PosixEnv* env = new PosixEnv;  // never destroyed: used until process exit
  return env;
}

}  // namespace quorsma::platform
