#include <io.h>
#include <windows.h>

#include <cstdio>

#include "cli/terminal.h"

namespace quorsma::tool {

bool StdoutIsTerminal() { return _isatty(_fileno(stdout)) != 0; }

void EnableEscapeSequences() {
  HANDLE out = GetStdHandle(STD_OUTPUT_HANDLE);
  DWORD mode = 0;
  if (GetConsoleMode(out, &mode)) SetConsoleMode(out, mode | ENABLE_VIRTUAL_TERMINAL_PROCESSING);
}

namespace {

// Ctrl-C and Ctrl-Break ask the loops to end, as SIGINT does.  Closing the
// console, logging off and shutting down end the process as soon as this
// handler returns: it waits a while for the loops to end the program first
// (the system allows about five seconds).
// One key press may arrive twice (under wine, as the signal and as the
// console's event): only a request half a second after the first insists.
BOOL WINAPI OnConsoleEvent(DWORD event) {
  static volatile LONG64 first_ms = 0;
  if (event == CTRL_C_EVENT || event == CTRL_BREAK_EVENT) {
    const LONG64 now = static_cast<LONG64>(GetTickCount64());
    if (StopRequested() && first_ms != 0 && now - first_ms >= 500) ExitProcess(130);  // the user insists
    if (first_ms == 0) first_ms = now;
    RequestStop(true);
    return TRUE;
  }
  RequestStop(true);
  Sleep(4000);
  return TRUE;
}

}  // namespace

void InstallConsoleStopHandler() { SetConsoleCtrlHandler(OnConsoleEvent, TRUE); }

}  // namespace quorsma::tool
