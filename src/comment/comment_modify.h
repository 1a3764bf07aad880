// Changing comments: one device at a time, or many from an import file.
#pragma once

#include <cstddef>
#include <cstdint>

#include "core/context.h"

namespace quorsma::comment {

// Sets the comment of device `number` of `kind` ("M", "D", "B", "T", "X",
// "Y", "AD", "DA", "SM", "S", "L", "R" or "W", matched exactly): the entry is
// cleared and takes the first 255 bytes of `comment`, and COMMENT.WCD is
// rewritten.  Returns 1 when the comment was stored and the file rewritten.
// An unknown kind shows the message box "BOOL WINAPI
// smModifyMemoryComment(ON SMA)" and then one with the comment itself, and
// returns 0.  A number outside 0..131070, or a null text, changes nothing and
// returns 0.  When the rewrite fails the entry keeps the new text and the
// result is 0.
int32_t ModifyMemoryComment(const Context& context, const char* kind, int32_t number, const char* comment);

// Reads the import file at `path` and applies its key=comment lines (see
// ImportComments), then rewrites COMMENT.WCD once.  Returns 0 with the trace
// "<path> 파일을 열 수 없습니다." when the file cannot be read, 0 when the
// rewrite fails, otherwise 1, also when lines were rejected.
int32_t ModifyMemoryCommentFromFile(const Context& context, const char* path);

// Applies the lines of an import file image to the comment areas.
//
// The content is cut into segments at CR, LF, double quote and NUL.  A
// segment that begins with "[", has no "=" or begins with "=" is skipped.
// Otherwise the key is the text before the first "=" without trailing spaces
// and the comment everything after it.  The key's first byte names the
// device ("X", "Y", "W", "B": hexadecimal number; "SM", "AD", "DA" by two
// bytes; any other byte c as "MEM_c", decimal); the number is read as
// strtol would, saturated.  The comment, laid out by LayOutComment, and its
// NUL go to the start of the entry.  A key that names no comment area, or a
// number outside 0..131070, shows the box "smModifyMemoryComment_FromFile
// Error <device key> <laid-out comment>" and the import goes on.
void ImportComments(const Context& context, const char* data, std::size_t size);

}  // namespace quorsma::comment
