// Runs a helper program as a child process with its own environment,
// capturing its output; a child can be kept running and killed.
#pragma once

#include <sys/types.h>

#include <filesystem>
#include <map>
#include <string>
#include <vector>

namespace quorsma::testing {

struct ChildResult {
  int exit_code = -1;  // -1 when it did not exit normally
  int signal = 0;
  std::string out;
  std::string err;
};

class ChildProcess {
 public:
  // Starts `program` with `args`; `env` is added to this process's environment.
  ChildProcess(const std::string& program, const std::vector<std::string>& args,
               const std::map<std::string, std::string>& env);
  ~ChildProcess();

  // Reads standard output up to and including the next line; empty at EOF.
  std::string ReadLine();
  // Closes the child's standard input (a "hold" child then exits).
  void CloseInput();
  void Kill(int signal);
  // Waits for the end and collects the remaining output.
  ChildResult Wait();
  pid_t pid() const { return pid_; }

 private:
  pid_t pid_ = -1;
  int in_ = -1, out_ = -1, err_ = -1;
  std::string buffered_;
  bool waited_ = false;
};

// Runs to completion.
ChildResult RunChild(const std::string& program, const std::vector<std::string>& args,
                     const std::map<std::string, std::string>& env);

// A section name no other test run uses.
std::string UniqueSectionName(const std::string& tag);

// A directory of its own in the temporary directory, named from `tag`,
// removed with all it holds when the object goes.
class ScratchDir {
 public:
  explicit ScratchDir(const std::string& tag);
  ~ScratchDir();
  ScratchDir(const ScratchDir&) = delete;
  ScratchDir& operator=(const ScratchDir&) = delete;
  const std::filesystem::path& path() const { return path_; }

 private:
  std::filesystem::path path_;
};

// The bytes of a file; empty when it cannot be read.
std::string ReadFileBytes(const std::filesystem::path& path);

}  // namespace quorsma::testing
