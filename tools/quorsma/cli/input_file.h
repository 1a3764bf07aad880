// The files the commands read their input from: programs (run, devices,
// demo), comment imports and dumps to restore.  Only regular files are read:
// a FIFO would hold the command until something writes to it, and a device
// such as /dev/zero never ends.  Each kind of file has a size limit, checked
// before anything is read and again while reading (standard input, and a
// file that grows meanwhile).  input_file_posix.cc and input_file_win32.cc
// hold how a file is opened and examined on each system.
#pragma once

#include <cstdint>
#include <cstdio>
#include <string>

namespace quorsma::tool {

// 16 MiB: well over a million instruction lines, far beyond any program
// written by hand or generated.
inline constexpr std::uintmax_t kMaxProgramBytes = 16u << 20;
// 256 MiB: room for a dump of every device with its comment, or an import of
// a comment for every device.
inline constexpr std::uintmax_t kMaxImportBytes = 256u << 20;

// Opens `path` for reading when it is a regular file of at most `limit`
// bytes, without waiting (a FIFO is examined, not read).  Null with the
// reason otherwise: "is a directory", "not a regular file (a FIFO)", "larger
// than N bytes" or the system's.
std::FILE* OpenInputFile(const std::string& path, std::uintmax_t limit, std::string* reason);

// Reads `path` whole by that rule, or standard input for "-" (any kind of
// input, up to the same limit).  False with "cannot read PATH: REASON"
// ("standard input" for "-").
bool ReadInputFile(const std::string& path, std::uintmax_t limit, std::string* bytes, std::string* error);

}  // namespace quorsma::tool
