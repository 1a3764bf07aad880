// Private-profile (INI) text handling, shared by the Linux Env: reading one
// key from a file's content and producing the content with one key written.
// Behaves as the Windows private-profile functions do for single keys.
//
// The file format as read here:
//   - lines end at CR LF, LF or CR; bytes pass through unchanged;
//   - a line whose first non-blank character is '[' opens a section; its name
//     runs to the first ']' (or to the end of the line when there is none),
//     blanks around the name ignored;
//   - a line whose first non-blank character is ';' is a comment;
//   - any other line with an '=' is a key: the key is the text before the
//     first '=', the value the text after it; blanks (space, tab) around both
//     are dropped, then one outer pair of matching quotes ('...' or "...")
//     is removed from the value;
//   - section and key names match case-insensitively (ASCII letters); the
//     first section of a name and, within it, the first key of a name win.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace quorsma::platform {

// Looks up section/key in `content` (case-insensitive names) and copies the
// value, or `fallback` (its trailing blanks dropped) when missing, into
// out[size]; a longer text is cut to size-1 characters.  Returns the
// characters copied.  `content` null means the file is missing.  A null
// section or key reads as missing; size 0 copies nothing and returns 0.
std::size_t ProfileRead(const std::string* content, const char* section, const char* key,
                        const char* fallback, char* out, std::size_t size);

// Returns `content` (empty when the file is missing) with section/key set to
// `value`: replaced in place (the line keeps its position, its line end and
// the key's spelling in the file), or appended after the last non-blank line
// of its section, or with the section appended at the end of the file.  New
// lines end with CR LF.  Everything else is kept byte for byte.  A null
// section or key returns `content` unchanged; a null value writes "".
std::string ProfileWrite(const std::string& content, const char* section, const char* key,
                         const char* value);

// The same, into `out` (its earlier content replaced, its capacity reused):
// for callers that rewrite a large file often.
void ProfileWrite(std::string_view content, const char* section, const char* key, const char* value,
                  std::string* out);

// One key of a section, as a read returns it: names trimmed, value trimmed
// and unquoted.  The views point into the content given.
struct ProfileEntry {
  std::string_view key;
  std::string_view value;
};

// Every key line of the first section named `section`, in file order
// (duplicates included: a look-up takes the first).  One pass over the
// content, for loaders that need many keys of one file.
std::vector<ProfileEntry> ProfileSectionEntries(std::string_view content, const char* section);

// Case-insensitive (ASCII) equality of two names, as the look-ups use it.
bool ProfileNameEquals(std::string_view a, std::string_view b);

}  // namespace quorsma::platform
