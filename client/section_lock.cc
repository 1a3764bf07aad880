#include "section_lock.h"

#include <cstdlib>
#include <filesystem>

#include "quorsma/quorsma.h"

namespace qsc {
namespace {

std::string Sanitized(std::string_view name) {
  std::string out(name);
  for (char& c : out) {
    const bool keep = (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '_' ||
                      c == '-' || c == '.';
    if (!keep) c = '_';
  }
  return out;
}

}  // namespace

namespace detail {

bool LockDirChosen() {
  const char* dir = std::getenv("QUORSMA_LOCK_DIR");
  return dir != nullptr && *dir != '\0';
}

std::string BusyMessage(std::string_view job, const char* pid_text) {
  const long pid = std::strtol(pid_text, nullptr, 10);
  // The job "communication" is a program's role; its message says so.
  const std::string what = job == "communication" ? "communication program" : std::string(job);
  std::string message = "another " + what + " is running";
  if (pid > 0) message += " (pid " + std::to_string(pid) + ")";
  return message;
}

}  // namespace detail

std::string LockDir() {
  if (!detail::LockDirChosen()) return detail::DefaultLockDir();
  std::string dir = std::getenv("QUORSMA_LOCK_DIR");
  // "dir/" names "dir"; the file names are joined with a separator of their own.
  const char separator = static_cast<char>(std::filesystem::path::preferred_separator);
  while (dir.size() > 1 && (dir.back() == '/' || dir.back() == separator) && dir[dir.size() - 2] != ':') dir.pop_back();
  return dir;
}

std::string SectionFileName(std::string_view suffix) {
  return "quorsma." + Sanitized(SectionName()) + "." + std::string(suffix);
}

std::string SectionLockPath(std::string_view job) {
  const char separator = static_cast<char>(std::filesystem::path::preferred_separator);
  return LockDir() + separator + SectionFileName(std::string(job) + ".lock");
}

}  // namespace qsc
