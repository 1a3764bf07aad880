// Conversion between the library's CP949 texts and the terminal's encoding.
// On a UTF-8 terminal texts are converted (iconv on Linux, the code-page
// functions on Windows); on any other terminal the bytes pass unchanged (a
// Korean Windows console shows CP949 as it is).  The conversions of each
// system are in text_encoding_posix.cc and text_encoding_win32.cc.
#pragma once

#include <string>

#include "client_names.h"

namespace quorsma::tool {

// CP949 bytes as the terminal shows them.  Bytes that are not valid CP949
// (for example a double-byte character cut at the 32-byte limit of the
// comment file) show as '?'.
std::string ToTerminal(const std::string& cp949);

// Text typed on the terminal as CP949 bytes.  False when it holds a character
// that CP949 cannot represent, or bytes that are not valid in the terminal's
// encoding.
bool FromTerminal(const std::string& typed, std::string* cp949);

// True when the terminal takes UTF-8.
bool TerminalIsUtf8();

}  // namespace quorsma::tool
