// Conversion between the library's CP949 texts and UTF-8.  Each system's
// conversion is in posix/ and win32/ (iconv, or the code-page functions).
#pragma once

#include <string>

namespace qsc {

// CP949 as UTF-8; bytes that are not valid CP949 (a double-byte character cut
// at a length limit) become '?'.
std::string Cp949ToUtf8(const std::string& cp949);
// UTF-8 as CP949; false when the text holds a character CP949 cannot store or
// is not valid UTF-8.
bool Utf8ToCp949(const std::string& utf8, std::string* cp949);

}  // namespace qsc
