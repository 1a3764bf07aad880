// What a device comment may hold: at most QSC_COMMENT_MAX_BYTES bytes of
// CP949, no control characters.  Every editor (the tool's comment command,
// the servers, the binding) checks comments here before writing one.
#pragma once

#include <string>
#include <string_view>

namespace qsc {

// Checks a comment in CP949; false with a reason.
bool CheckComment(std::string_view cp949, std::string* error);

// Converts a comment typed in UTF-8 to CP949 and checks it; false with a
// reason.
bool CommentFromUtf8(std::string_view utf8, std::string* cp949, std::string* error);

}  // namespace qsc
