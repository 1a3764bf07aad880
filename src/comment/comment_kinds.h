// The comment areas of the image and the names by which the comment file,
// the listing and the editors reach them.
#pragma once

#include <cstdint>
#include <string_view>

#include "core/areas.h"
#include "core/context.h"

namespace quorsma::comment {

inline constexpr int32_t kEntryBytes = QSMA_COMMENT_BYTES;  // 256
inline constexpr int32_t kMaxCommentLength = kEntryBytes - 1;

// One comment area of 131,071 entries of 256 bytes.
using CommentArea = char (Image::*)[kLargeArea][kEntryBytes];

// A device code of COMMENT.WCD with an area of its own.
struct FileKind {
  uint16_t code;
  const char* name;  // name in MEMORY.TXT
  CommentArea area;
};

// The ten such codes, in the order in which the rewrite scans their areas.
inline constexpr int kFileKindCount = 10;
extern const FileKind kFileKinds[kFileKindCount];

// The kind of a device code, or null for the unit buffer and unknown codes.
const FileKind* FindFileKind(uint16_t code);

// True when MEMORY.TXT writes the numbers of `name` in hexadecimal.
bool ListsInHex(const char* name);

// Entry `run` of the unit-buffer run: the 25 units of CommentU (run numbers
// 0 to 12499), then CommentTMP.  Null for run numbers outside that run.
char* UnitRunEntry(Image& image, int64_t run);
inline constexpr int32_t kUnitRunLength = 12500 + kLargeArea;  // 143,571

// The area that a device kind of the editors names ("M", "SM", "AD" ...),
// matched exactly; null for any other text.
CommentArea FindKindArea(std::string_view kind);

}  // namespace quorsma::comment
