// What the benchmark programs that are not Google Benchmark suites share:
// a section of their own, medians over runs, and servers started as child
// processes that name their port on their first line (Linux).
#pragma once

#include <spawn.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <thread>
#include <vector>

#include "quorsma/quorsma.h"

extern char** environ;

namespace quorsma::bench {

// The library maps its section when the program loads, so a program that
// wants a section of its own starts itself again with QUORSMA_SECTION set to
// `prefix` and its process id.  Returns when QUORSMA_SECTION is already set;
// exits when the program cannot start again.
inline void RestartOnOwnSection(char** argv, const char* prefix) {
  if (std::getenv("QUORSMA_SECTION") != nullptr) return;
  setenv("QUORSMA_SECTION", (prefix + std::to_string(getpid())).c_str(), 1);
  execv("/proc/self/exe", argv);
  std::perror("cannot start again on a section of its own; set QUORSMA_SECTION");
  std::exit(1);
}

// The median of the runs' figures (0 for none).
inline double Median(std::vector<double> values) {
  if (values.empty()) return 0;
  std::sort(values.begin(), values.end());
  return values[values.size() / 2];
}

// This process's image with the value-change mailbox empty and W[w] at 0 as
// the collector last saw it, so that each write of W[w] makes one line.
inline MH_SHARED_STRUCTURE* EmptyMailbox(int w, int32_t log_enable) {
  MH_SHARED_STRUCTURE* image = nullptr;
  smGetMemoryPointer(&image);
  image->LogEnable = log_enable;
  image->LogLinePending = 0;
  image->W[w] = 0;
  image->LogPrevW[w] = 0;
  return image;
}

struct ServerChild {
  pid_t pid = -1;
  int port = 0;  // 0: the server did not start or named no port
};

// Starts `args` (the program first) with its standard output on a pipe and
// reads the port from the first line, which names the address it listens on
// ("... 127.0.0.1:PORT ..."); the rest of its output is read and dropped.
inline ServerChild StartServerChild(const std::vector<std::string>& args) {
  int out[2];
  if (pipe(out) != 0) return {};
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_adddup2(&actions, out[1], 1);
  posix_spawn_file_actions_addclose(&actions, out[0]);
  std::vector<char*> argv;
  for (const std::string& arg : args) argv.push_back(const_cast<char*>(arg.c_str()));
  argv.push_back(nullptr);
  ServerChild child;
  const int spawned = posix_spawn(&child.pid, argv[0], &actions, nullptr, argv.data(), environ);
  posix_spawn_file_actions_destroy(&actions);
  close(out[1]);
  if (spawned != 0) {
    close(out[0]);
    return {};
  }
  std::string line;
  char c = 0;
  while (read(out[0], &c, 1) == 1 && c != '\n') line += c;
  std::thread([fd = out[0]] {
    char sink[4096];
    while (read(fd, sink, sizeof sink) > 0) {
    }
    close(fd);
  }).detach();
  const std::size_t at = line.find("127.0.0.1:");
  if (at != std::string::npos) child.port = std::atoi(line.c_str() + at + 10);
  return child;
}

}  // namespace quorsma::bench
