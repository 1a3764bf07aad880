// Loads COMMENT.WCD into the comment areas at attach and writes MEMORY.TXT.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

#include "core/context.h"

namespace quorsma::comment {

// Reads <MemPlcPath>/Resource/Others/COMMENT.WCD, writes the listing
// MEMORY.TXT beside it and then copies every text into its entry.  Traces
// "NO FILE - COMMENT" when the comment file cannot be read (also when no PLC
// project directory is configured) and
// "NO FILE - MEMORY" when the listing cannot be written; in both cases no
// entry changes.  Returns 0 in every case.
int32_t LoadMemoryComment(const Context& context);

// The two halves of the load, on a file image of `size` bytes.  A file that
// is shorter than its own counts say is taken up to its last complete text;
// texts of a unit-buffer block that lie past CommentTMP are skipped.  Nothing
// is ever read outside the file image or written outside a comment area.
//
// The MEMORY.TXT content that loading the file gives (reads the image only).
std::string CommentListing(Image& image, const char* data, std::size_t size);
// Copies the first 32 bytes of every text into its entry.
void ApplyCommentFile(const Context& context, const char* data, std::size_t size);

}  // namespace quorsma::comment
