# Writes a C++ source that holds the bytes of a file, so that a program carries
# the file inside it:  cmake -DINPUT=page.html -DOUTPUT=page_data.cc
#   -DSYMBOL=kServePage -P embed_file.cmake
# The source defines `extern const std::string_view SYMBOL` in the namespace
# quorsma::tool::http.  The bytes are written as hexadecimal numbers, so the
# file may hold anything.
file(READ ${INPUT} hex HEX)
string(LENGTH "${hex}" hex_length)
math(EXPR byte_count "${hex_length} / 2")
string(REGEX REPLACE "([0-9a-f][0-9a-f])" "0x\\1," bytes "${hex}")
# About 16 bytes a line keeps the generated file readable in a debugger.
string(REGEX REPLACE "((0x..,){16})" "\\1\n" bytes "${bytes}")
file(WRITE ${OUTPUT}.tmp
"// Generated from ${INPUT} at build time; do not edit.
#include <string_view>

namespace quorsma::tool::http {
namespace {
constexpr char kBytes[${byte_count} + 1] = {
${bytes}0};
}  // namespace
extern const std::string_view ${SYMBOL};
const std::string_view ${SYMBOL}(kBytes, ${byte_count});
}  // namespace quorsma::tool::http
")
file(RENAME ${OUTPUT}.tmp ${OUTPUT})
