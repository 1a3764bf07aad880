// Paths longer than the ANSI file functions of Windows take (MAX_PATH, 260
// characters with the terminator).
#pragma once

#include <string>

namespace quorsma::platform {

// True when `path` is too long for the plain ANSI file functions.
bool IsLongPath(const std::string& path);

// `path` in a form that the wide file functions (CreateFileW, MoveFileExW,
// DeleteFileW) accept at any length once converted (WidePath): a long absolute path ("C:\..." or "\\server\share\...") gets
// the "\\?\" prefix, with '/' turned into '\', repeated separators and "."
// parts dropped and ".." parts resolved, since the prefix turns off the
// system's own normalisation.  Short and relative paths are returned as they
// are (a long relative path cannot be helped and fails as it would).
std::string ExtendedLengthPath(const std::string& path);

// ExtendedLengthPath(path) converted from the ANSI code page, as the ANSI
// functions would convert it (they stop at MAX_PATH, the wide ones do not).
// Empty when the text cannot be converted.
std::wstring WidePath(const std::string& path);

}  // namespace quorsma::platform
