// The running program's own surroundings: where its executable lies (the
// bundled examples are beside it) and a place for temporary files.
#pragma once

#include <string>

namespace quorsma::tool {

// Directory of the running executable, without a trailing separator; empty
// when it cannot be found.
std::string ExecutableDir();

// A path for a new temporary file whose name starts with `stem`.
std::string TemporaryPath(const std::string& stem);

// Why the section could not be mapped, as far as this process can tell
// (the room left in /dev/shm, the operating system's answer to opening it).
std::string SectionMapFailure();

// How many other processes map the section in use: 0 or more, or -1 where
// this cannot be told (Windows).
int OtherSectionHolders();

// The operating system's text for an error number (errno).
std::string SystemError(int code);

}  // namespace quorsma::tool
