// Checking a comment import file before the library imports it.
//
// The library imports key=comment lines one by one and, at a line whose key
// names no device, shows a message box and goes on: a file with a typing
// error would be imported in part.  The tool reads the file the way the
// library does and refuses the whole import when any line would be rejected,
// so an import is done whole or not at all.
#pragma once

#include <string>
#include <vector>

namespace quorsma::tool {

struct ImportCheck {
  int comments = 0;                 // lines that set a comment
  std::vector<std::string> errors;  // "line N: ..." for each line the library would reject
};

// `content` is the file's bytes (CP949).  Segments are cut at CR, LF, '"'
// and NUL; section lines ('['), segments without '=' and segments starting
// with '=' are ignored, as the library does.  A key must be a device letter
// (SM for special relays) followed directly by its number: hexadecimal for X,
// Y, W, B, decimal for M, D, T, S, L, R, SM, from 0 to 131070.  Segments
// longer than 255 bytes are refused.
ImportCheck CheckImportText(const std::string& content);

// The comment kinds of `comment set` (the kind texts the library accepts) and
// whether a kind numbers its devices in hexadecimal.
bool IsCommentKind(const std::string& kind);
bool IsHexKind(const std::string& kind);

}  // namespace quorsma::tool
