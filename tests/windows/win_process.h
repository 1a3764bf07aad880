// Child processes for the Windows tests: a helper program started with its
// own environment additions, its standard output read line by line, its
// standard error collected, every wait bounded by a timeout so that a hung
// child (a message box on a real desktop, say) fails the test instead of
// blocking it.
#pragma once

#include <map>
#include <memory>
#include <string>
#include <vector>

namespace quorsma::testing {

struct WinChildResult {
  int exit_code = -1;     // -1 when it had to be ended after the timeout
  bool timed_out = false;
  std::string out;        // CR LF turned into LF (children write in text mode)
  std::string err;
};

class WinChild {
 public:
  // Starts `program` with `args`; `env` is added to this process's
  // environment.  Throws std::runtime_error when it cannot be started.
  WinChild(const std::string& program, const std::vector<std::string>& args,
           const std::map<std::string, std::string>& env);
  ~WinChild();
  WinChild(const WinChild&) = delete;
  WinChild& operator=(const WinChild&) = delete;

  // The next line of standard output with its LF; empty at the end of output
  // or when nothing came within the timeout.
  std::string ReadLine(unsigned timeout_ms = 30000);
  // Closes the child's standard input.
  void CloseInput();
  // Ends the child at once, as a kill from outside would (TerminateProcess).
  void Kill();
  WinChildResult Wait(unsigned timeout_ms = 60000);

 private:
  struct State;
  std::unique_ptr<State> state_;
};

WinChildResult RunWinChild(const std::string& program, const std::vector<std::string>& args,
                           const std::map<std::string, std::string>& env, unsigned timeout_ms = 60000);

// Runs `program` under this process as its debugger and returns the texts the
// child wrote with OutputDebugStringA, in order.
std::vector<std::string> DebugOutputOf(const std::string& program, const std::vector<std::string>& args,
                                       const std::map<std::string, std::string>& env,
                                       unsigned timeout_ms = 60000);

// A section name that no other run uses.
std::string UniqueWinSectionName(const std::string& tag);

// Directory of this test program, with a trailing backslash.
std::string ProgramDirectory();

}  // namespace quorsma::testing
