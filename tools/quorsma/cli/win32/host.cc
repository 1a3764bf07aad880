// The tool's surroundings on Windows.
#include <windows.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>

#include "cli/host.h"
#include "cli/client_names.h"

namespace quorsma::tool {

std::string ExecutableDir() {
  char path[MAX_PATH * 2];
  DWORD n = GetModuleFileNameA(nullptr, path, sizeof path);
  if (n == 0 || n >= sizeof path) return {};
  std::filesystem::path exe(std::string(path, n));
  return exe.parent_path().string();
}

unsigned long CurrentProcessId() { return GetCurrentProcessId(); }

std::string HostName() {
  char name[MAX_COMPUTERNAME_LENGTH + 1] = {};
  DWORD size = sizeof name;
  if (!GetComputerNameA(name, &size) || name[0] == '\0') return "localhost";
  return std::string(name, size);
}

std::tm LocalTime(std::time_t seconds) {
  std::tm local{};
  localtime_s(&local, &seconds);
  return local;
}

int OtherSectionHolders() { return -1; }

bool PrivateTemporaryFile::Create(const std::string& stem, const std::string& bytes, std::string* error) {
  Remove();
  const std::string name = TemporaryPath(stem);
  std::FILE* out = std::fopen(name.c_str(), "wbx");
  if (out == nullptr) {
    *error = "cannot create " + name + ": " + std::strerror(errno);
    return false;
  }
  name_ = path_ = name;
  const bool written = std::fwrite(bytes.data(), 1, bytes.size(), out) == bytes.size();
  if (std::fclose(out) != 0 || !written) {
    *error = "cannot write " + name + ": " + std::strerror(errno);
    Remove();
    return false;
  }
  return true;
}

void PrivateTemporaryFile::Remove() {
  if (!name_.empty()) std::remove(name_.c_str());
  name_.clear();
  path_.clear();
}

std::string SectionMapFailure() {
  return "the library could not create or open the file mapping " + SectionName() +
         " (QUORSMA_TRACE=stderr shows its reason)";
}

}  // namespace quorsma::tool
