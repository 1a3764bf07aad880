// The little the tool needs from the console, the same on Linux and Windows:
// a stop request from Ctrl-C, whether standard output is a terminal, and
// redrawing a table in place.  terminal_posix.cc and terminal_win32.cc hold
// what differs between the systems.
#pragma once

#include <csignal>
#include <string>

namespace quorsma::tool {

// Installs handlers for Ctrl-C, termination requests and (where there is one)
// the hang-up of the terminal that only set the
// flag that StopRequested reads; the loops of the tool end cleanly at their
// next check.  A second Ctrl-C ends the process at once.
void InstallStopHandler();
// The system's own stop requests beyond the signals: on Windows the console's
// Ctrl-Break, its closing, the user's logoff and the shutdown (posix/ and
// win32/ terminal.cc).
void InstallConsoleStopHandler();
bool StopRequested();
// For tests: sets or clears the flag as the handler would.
void RequestStop(bool stop);

bool StdoutIsTerminal();
// Makes the console interpret the escape sequences Redraw writes (Windows
// consoles need this switched on; elsewhere it does nothing).
void EnableEscapeSequences();
// Moves the cursor home and clears the screen before `text` (on a terminal),
// so a table is redrawn in place; elsewhere the text is just written.
void Redraw(const std::string& text);

}  // namespace quorsma::tool
