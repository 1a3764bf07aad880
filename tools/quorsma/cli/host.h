// The running program's own surroundings: where its executable lies (the
// bundled examples are beside it), a place for temporary files, the section's
// file as the system shows it.  host_posix.cc and host_win32.cc hold what
// differs between the systems; the build takes the one of its system.
#pragma once

#include <cstdlib>
#include <ctime>
#include <filesystem>
#include <string>
#include <system_error>

namespace quorsma::tool {

// Directory of the running executable, without a trailing separator; empty
// when it cannot be found.
std::string ExecutableDir();

// This process's id.
unsigned long CurrentProcessId();

// This machine's name, or "localhost" when it has none.
std::string HostName();

// `seconds` in the local time zone.
std::tm LocalTime(std::time_t seconds);

// `seconds` in the local time zone as "2026-12-08 04:36:03".
inline std::string LocalTimeText(std::time_t seconds) {
  const std::tm local = LocalTime(seconds);
  char text[32];
  const std::size_t n = std::strftime(text, sizeof text, "%Y-%m-%d %H:%M:%S", &local);
  return std::string(text, n);
}

// The configuration file the library of this process reads, first found of:
// QUORSMA_CONFIG when set, _Configuration/_Configuration.ini beside the
// executable, and on Linux /etc/quorsma/_Configuration.ini (the one beside
// when none exists).  `from_environment` (when given) tells the first case.
inline std::string ConfigurationFile(bool* from_environment = nullptr) {
  const char* path = std::getenv("QUORSMA_CONFIG");
  const bool set = path != nullptr && *path != '\0';
  if (from_environment != nullptr) *from_environment = set;
  if (set) return std::string(path);
#if defined(_WIN32)
  const std::string beside = ExecutableDir() + "\\_Configuration\\_Configuration.ini";
#else
  const std::string beside = ExecutableDir() + "/_Configuration/_Configuration.ini";
#endif
#if !defined(_WIN32)
  constexpr char kSystemFile[] = "/etc/quorsma/_Configuration.ini";
  std::error_code error;
  if (!std::filesystem::exists(beside, error) && std::filesystem::exists(kSystemFile, error)) return kSystemFile;
#endif
  return beside;
}

// A path for a new temporary file whose name starts with `stem`.
std::string TemporaryPath(const std::string& stem);

// Why the section could not be mapped, as far as this process can tell
// (the room left in /dev/shm, the operating system's answer to opening it).
std::string SectionMapFailure();

// A temporary file only its owner can read, holding given bytes, that is
// never left behind: on Linux it is unlinked as soon as it is made and read
// through /proc/self/fd; elsewhere it is removed by Remove or the destructor.
class PrivateTemporaryFile {
 public:
  PrivateTemporaryFile() = default;
  ~PrivateTemporaryFile() { Remove(); }
  PrivateTemporaryFile(const PrivateTemporaryFile&) = delete;
  PrivateTemporaryFile& operator=(const PrivateTemporaryFile&) = delete;
  bool Create(const std::string& stem, const std::string& bytes, std::string* error);
  const std::string& path() const { return path_; }  // the name to open it by
  void Remove();

 private:
  std::string path_;
  std::string name_;  // the directory entry while it exists
  int fd_ = -1;
};

// How many other processes map the section in use: 0 or more, or -1 where
// this cannot be told (Windows).
int OtherSectionHolders();

// The operating system's text for an error number (errno).
std::string SystemError(int code);

}  // namespace quorsma::tool
