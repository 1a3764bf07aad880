#include "child_process.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstring>
#include <filesystem>
#include <fstream>
#include <random>
#include <sstream>
#include <stdexcept>

#include <gtest/gtest.h>

extern char** environ;

namespace quorsma::testing {

ChildProcess::ChildProcess(const std::string& program, const std::vector<std::string>& args,
                           const std::map<std::string, std::string>& env) {
  int in[2], out[2], err[2];
  if (pipe2(in, O_CLOEXEC) || pipe2(out, O_CLOEXEC) || pipe2(err, O_CLOEXEC)) throw std::runtime_error("pipe");
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_adddup2(&actions, in[0], 0);
  posix_spawn_file_actions_adddup2(&actions, out[1], 1);
  posix_spawn_file_actions_adddup2(&actions, err[1], 2);

  std::vector<std::string> env_strings;
  for (char** e = environ; *e; ++e) {
    std::string entry(*e);
    std::string key = entry.substr(0, entry.find('='));
    if (!env.count(key)) env_strings.push_back(entry);
  }
  for (const auto& [k, v] : env) env_strings.push_back(k + "=" + v);
  std::vector<char*> envp;
  for (auto& s : env_strings) envp.push_back(s.data());
  envp.push_back(nullptr);
  std::vector<std::string> argv_strings{program};
  argv_strings.insert(argv_strings.end(), args.begin(), args.end());
  std::vector<char*> argv;
  for (auto& s : argv_strings) argv.push_back(s.data());
  argv.push_back(nullptr);

  if (posix_spawn(&pid_, program.c_str(), &actions, nullptr, argv.data(), envp.data()) != 0)
    throw std::runtime_error("spawn " + program);
  posix_spawn_file_actions_destroy(&actions);
  close(in[0]);
  close(out[1]);
  close(err[1]);
  in_ = in[1];
  out_ = out[0];
  err_ = err[0];
}

ChildProcess::~ChildProcess() {
  if (!waited_ && pid_ > 0) {
    kill(pid_, SIGKILL);
    Wait();
  }
  for (int fd : {in_, out_, err_})
    if (fd >= 0) close(fd);
}

std::string ChildProcess::ReadLine() {
  for (;;) {
    std::size_t nl = buffered_.find('\n');
    if (nl != std::string::npos) {
      std::string line = buffered_.substr(0, nl + 1);
      buffered_.erase(0, nl + 1);
      return line;
    }
    char chunk[4096];
    ssize_t n = read(out_, chunk, sizeof chunk);
    if (n <= 0) {
      std::string rest;
      rest.swap(buffered_);
      return rest;
    }
    buffered_.append(chunk, static_cast<std::size_t>(n));
  }
}

void ChildProcess::CloseInput() {
  if (in_ >= 0) close(in_);
  in_ = -1;
}

void ChildProcess::Kill(int sig) { kill(pid_, sig); }

ChildResult ChildProcess::Wait() {
  ChildResult result;
  CloseInput();
  // Drain both pipes until they close.
  std::string out = buffered_, err;
  buffered_.clear();
  struct pollfd fds[2] = {{out_, POLLIN, 0}, {err_, POLLIN, 0}};
  int open_count = 2;
  while (open_count > 0) {
    if (poll(fds, 2, -1) < 0) break;
    for (int i = 0; i < 2; ++i) {
      if (fds[i].fd < 0 || !(fds[i].revents & (POLLIN | POLLHUP))) continue;
      char chunk[4096];
      ssize_t n = read(fds[i].fd, chunk, sizeof chunk);
      if (n <= 0) {
        fds[i].fd = -1;
        --open_count;
      } else {
        (i == 0 ? out : err).append(chunk, static_cast<std::size_t>(n));
      }
    }
  }
  int status = 0;
  waitpid(pid_, &status, 0);
  waited_ = true;
  if (WIFEXITED(status)) result.exit_code = WEXITSTATUS(status);
  if (WIFSIGNALED(status)) result.signal = WTERMSIG(status);
  result.out = out;
  result.err = err;
  return result;
}

ChildResult RunChild(const std::string& program, const std::vector<std::string>& args,
                     const std::map<std::string, std::string>& env) {
  ChildProcess child(program, args, env);
  return child.Wait();
}

namespace {

// Sections whose last holder was killed stay in /dev/shm until a process opens
// them again; the names made here are never opened again, so they are removed
// once this test program's tests are done.
class RemoveLeftoverSections : public ::testing::Environment {
 public:
  void TearDown() override {
    std::string marker = "_";
    marker += std::to_string(getpid());
    marker += '_';
    std::error_code ignored;
    for (const auto& entry : std::filesystem::directory_iterator("/dev/shm", ignored)) {
      const std::string name = entry.path().filename().string();
      if (name.rfind("qsma_test_", 0) == 0 && name.find(marker) != std::string::npos)
        std::filesystem::remove(entry.path(), ignored);
    }
  }
};

[[maybe_unused]] ::testing::Environment* const kRemoveLeftovers =
    ::testing::AddGlobalTestEnvironment(new RemoveLeftoverSections);

}  // namespace

std::string UniqueSectionName(const std::string& tag) {
  static int counter = 0;
  return "qsma_test_" + tag + "_" + std::to_string(getpid()) + "_" + std::to_string(++counter);
}

ScratchDir::ScratchDir(const std::string& tag) {
  std::random_device seed;
  path_ = std::filesystem::temp_directory_path() / ("quorsma-" + tag + "-" + std::to_string(seed()));
  std::filesystem::create_directories(path_);
}

ScratchDir::~ScratchDir() {
  std::error_code ignored;
  std::filesystem::remove_all(path_, ignored);
}

std::string ReadFileBytes(const std::filesystem::path& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream bytes;
  bytes << in.rdbuf();
  return bytes.str();
}

}  // namespace quorsma::testing
