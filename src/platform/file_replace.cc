// The replacement of a whole file, composed of the Env's file steps so that
// every step can be failed or cut short by a test Env.
#include <atomic>
#include <cerrno>
#include <cstring>
#include <set>
#include <string>
#include <vector>

#include "platform/env.h"

namespace quorsma::platform {
namespace {

// A name beside `target` that no other replacement uses at the same time.
std::string TemporaryName(Env& env, const std::string& target) {
  static std::atomic<unsigned> counter{0};
  return target + ".tmp." + std::to_string(env.ProcessId()) + "." + std::to_string(counter.fetch_add(1));
}

// Writes the new content beside the target (after links) and renames it over
// the target, flushing it first when `flush`.  `target` receives the file
// that was replaced.
int WriteAndRename(Env& env, const char* path, const void* data, std::size_t size, bool flush,
                   std::string* target) {
  if (path == nullptr || (data == nullptr && size > 0)) return EINVAL;
  *target = env.ResolveLinks(path);
  if (target->empty()) return ELOOP;
  const std::string temporary = TemporaryName(env, *target);
  int error = env.WriteNewFile(temporary.c_str(), data, size, target->c_str());
  if (error != 0) return error;
  if (flush) error = env.SyncFile(temporary.c_str());
  if (error == 0) error = env.RenameFile(temporary.c_str(), target->c_str());
  if (error != 0) env.RemoveFile(temporary.c_str());
  return error;
}

}  // namespace

std::string ErrorText(int error) {
  const char* text = std::strerror(error);
  return text ? std::string(text) : "error " + std::to_string(error);
}

std::string DirectoryOf(const std::string& path) {
  std::size_t cut = path.find_last_of(kPathSeparator == '\\' ? "\\/" : "/");
  if (cut == std::string::npos) return ".";
  return cut == 0 ? path.substr(0, 1) : path.substr(0, cut);
}

int Env::ReplaceContent(const char* path, const void* data, std::size_t size) {
  std::string target;
  int error = WriteAndRename(*this, path, data, size, /*flush=*/true, &target);
  if (error != 0) return error;
  return SyncDirectory(DirectoryOf(target).c_str());
}

int Env::ReplaceContentSoon(const char* path, const void* data, std::size_t size,
                         const std::vector<std::string>& sync_group, InterProcessLock* writers) {
  std::string target;
  int error = WriteAndRename(*this, path, data, size, /*flush=*/false, &target);
  if (error != 0) return error;
  SyncLater(sync_group, writers);
  return 0;
}

void Env::SyncLater(const std::vector<std::string>& paths, InterProcessLock*) {
  // At once, on the caller's thread, which holds the writers' lock already.
  std::set<std::string> directories;
  for (const std::string& path : paths) {
    const std::string target = ResolveLinks(path.c_str());
    if (target.empty()) continue;
    int error = SyncFile(target.c_str());
    if (error == 0) directories.insert(DirectoryOf(target));
  }
  for (const std::string& directory : directories) SyncDirectory(directory.c_str());
}

}  // namespace quorsma::platform
