// Private-profile (INI) text handling, shared by the Linux Env: reading one
// key from a file's content and producing the content with one key written.
// Behaves as the Windows private-profile functions do for single keys.
#pragma once

#include <cstddef>
#include <string>

namespace quorsma::platform {

// Looks up section/key in `content` (case-insensitive names) and copies the
// value, or `fallback` when missing, into out[size]; returns the characters
// copied.  `content` null means the file is missing.
std::size_t ProfileRead(const std::string* content, const char* section, const char* key,
                        const char* fallback, char* out, std::size_t size);

// Returns `content` (empty when the file is missing) with section/key set to
// `value`: replaced in place, or appended to its section, or with the section
// appended at the end.
std::string ProfileWrite(const std::string& content, const char* section, const char* key,
                         const char* value);

}  // namespace quorsma::platform
