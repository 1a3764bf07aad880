// The tool's surroundings on Linux: /proc, /dev/shm and POSIX files.
#include <fcntl.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <sys/statvfs.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <system_error>

#include "cli/host.h"
#include "quorsma/quorsma.h"
#include "cli/client_names.h"

namespace quorsma::tool {

std::string ExecutableDir() {
  std::error_code error;
  std::filesystem::path exe = std::filesystem::read_symlink("/proc/self/exe", error);
  if (error) return {};
  return exe.parent_path().string();
}

unsigned long CurrentProcessId() { return static_cast<unsigned long>(getpid()); }

std::string HostName() {
  char name[256] = {};
  if (gethostname(name, sizeof name - 1) != 0 || name[0] == '\0') return "localhost";
  return name;
}

std::tm LocalTime(std::time_t seconds) {
  std::tm local{};
  localtime_r(&seconds, &local);
  return local;
}

int OtherSectionHolders() {
  const std::string mapped = "/dev/shm/" + SectionName();
  const std::string self = std::to_string(getpid());
  int holders = 0;
  std::error_code error;
  for (const auto& entry : std::filesystem::directory_iterator("/proc", error)) {
    const std::string pid = entry.path().filename().string();
    if (pid.empty() || pid.find_first_not_of("0123456789") != std::string::npos || pid == self) continue;
    std::FILE* maps = std::fopen((entry.path() / "maps").c_str(), "r");
    if (maps == nullptr) continue;
    char line[4096];
    bool found = false;
    while (!found && std::fgets(line, sizeof line, maps)) {
      const char* at = std::strstr(line, mapped.c_str());
      found = at != nullptr && (at[mapped.size()] == '\n' || at[mapped.size()] == ' ' || at[mapped.size()] == '\0');
    }
    std::fclose(maps);
    holders += found ? 1 : 0;
  }
  return holders;
}

bool PrivateTemporaryFile::Create(const std::string& stem, const std::string& bytes, std::string* error) {
  Remove();
  const std::string name = TemporaryPath(stem);
  fd_ = open(name.c_str(), O_RDWR | O_CREAT | O_EXCL | O_CLOEXEC, 0600);
  if (fd_ < 0) {
    *error = "cannot create " + name + ": " + std::strerror(errno);
    return false;
  }
  unlink(name.c_str());  // nothing to leave behind, whatever ends this process
  path_ = "/proc/self/fd/" + std::to_string(fd_);
  std::size_t done = 0;
  while (done < bytes.size()) {
    const ssize_t n = write(fd_, bytes.data() + done, bytes.size() - done);
    if (n <= 0) {
      *error = "cannot write a temporary file in " + name.substr(0, name.rfind('/')) + ": " + std::strerror(errno);
      Remove();
      return false;
    }
    done += static_cast<std::size_t>(n);
  }
  return true;
}

void PrivateTemporaryFile::Remove() {
  if (fd_ >= 0) close(fd_);
  fd_ = -1;
  name_.clear();
  path_.clear();
}

std::string SectionMapFailure() {
  std::string name = "/";
  name += SectionName();
  const int fd = shm_open(name.c_str(), O_RDWR, 0);
  if (fd < 0 && errno != ENOENT) return "cannot open " + name + ": " + std::strerror(errno);
  if (fd >= 0) close(fd);
  struct statvfs room {};
  if (fd < 0 && statvfs("/dev/shm", &room) == 0) {
    const unsigned long long free_bytes = static_cast<unsigned long long>(room.f_bavail) * room.f_frsize;
    if (free_bytes < QSMA_SECTION_SIZE)
      return "/dev/shm has " + std::to_string(free_bytes) + " bytes free, the section needs " +
             std::to_string(QSMA_SECTION_SIZE);
  }
  return "the library could not map " + name + " (QUORSMA_TRACE=stderr shows its reason)";
}

}  // namespace quorsma::tool
