// The secret that write requests carry as "Authorization: Bearer <token>".
#pragma once

#include <string>
#include <string_view>

namespace quorsma::tool::http {

// Reads the token from the first line of `path` (a CR before the line end is
// dropped).  False with a reason when the file cannot be read or the line is
// empty or holds characters a header cannot carry (control characters,
// blanks).
bool ReadTokenFile(const std::string& path, std::string* token, std::string* error);

// 32 random bytes from the system's generator as 64 hexadecimal digits; empty
// when the generator cannot be read.
std::string MakeToken();

// Compares a presented token with the secret in time that depends only on the
// presented token's length, not on where the two first differ or on the
// secret's length.  An empty secret matches nothing.
bool TokensEqual(std::string_view secret, std::string_view presented);

// The token of an "Authorization" header value "Bearer <token>" (the scheme
// in any letter case), or empty.
std::string_view BearerToken(std::string_view header);

}  // namespace quorsma::tool::http
