#include "terminal.h"

#include <cstdio>
#include <cstdlib>

namespace quorsma::tool {
namespace {

volatile std::sig_atomic_t g_stop = 0;

extern "C" void OnStopSignal(int signal_number) {
  if (g_stop) std::_Exit(130);  // a second request: the user insists
  g_stop = 1;
  std::signal(signal_number, OnStopSignal);  // some systems reset the handler
}

}  // namespace

void InstallStopHandler() {
  std::signal(SIGINT, OnStopSignal);
  std::signal(SIGTERM, OnStopSignal);
#if defined(SIGHUP)
  std::signal(SIGHUP, OnStopSignal);  // the terminal closed: end as cleanly as on Ctrl-C
#endif
  InstallConsoleStopHandler();
}

bool StopRequested() { return g_stop != 0; }
void RequestStop(bool stop) { g_stop = stop ? 1 : 0; }

void Redraw(const std::string& text) {
  static const bool terminal = [] {
    if (!StdoutIsTerminal()) return false;
    EnableEscapeSequences();
    return true;
  }();
  if (terminal) std::fputs("\x1b[H\x1b[2J", stdout);
  std::fputs(text.c_str(), stdout);
  if (!terminal) std::fputs("\n", stdout);
  std::fflush(stdout);
}

}  // namespace quorsma::tool
