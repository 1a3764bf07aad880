// Conversion between the library's CP949 texts and the terminal's encoding.
#pragma once

#include <string>

namespace quorsma::tool {

// CP949 bytes as the terminal shows them (UTF-8 on a UTF-8 terminal; the
// bytes unchanged elsewhere or when they cannot be converted).
std::string ToTerminal(const std::string& cp949);
// Text typed on the terminal as CP949 bytes.
std::string FromTerminal(const std::string& typed);

}  // namespace quorsma::tool
