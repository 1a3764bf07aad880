// Lays an imported comment out in cells of 8 bytes, at most 32 bytes in all.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace quorsma::comment {

inline constexpr std::size_t kLaidOutBytes = 32;

// Spaces (0x20 only) around the text are dropped and it is split into words
// at spaces (at most 32 words).  Each word, or each pair of neighbouring
// words that fit in 8 bytes together, starts a new 8-byte cell: a pair of
// exactly 8 bytes is joined without a space, a shorter pair keeps one space
// between, and every cell but the last is filled up with spaces.  A word
// longer than 8 bytes fills as many cells as it needs.  The result is cut to
// 32 bytes (which may split a double-byte character).
//
// Writes the result and a NUL to `out`; returns its length.
std::size_t LayOutComment(std::string_view text, char (&out)[kLaidOutBytes + 1]);

std::string FormatMemoryComment(std::string_view text);

}  // namespace quorsma::comment
