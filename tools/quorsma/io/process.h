// What quorsma io needs of its own process from the system.
#pragma once

namespace quorsma::tool::io {

// This process's id: registered as the communication window's value and
// written to the station health file.
long OwnProcessId();

// A write to a connection the station has closed fails with an error instead
// of ending the program (SIGPIPE on Linux; Windows has no such signal).
void IgnoreBrokenPipes();

}  // namespace quorsma::tool::io
