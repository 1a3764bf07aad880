// Rewrites COMMENT.WCD from the comment areas of the image.
#pragma once

#include <cstdint>

#include "core/context.h"

namespace quorsma::comment {

// Scans the comment areas that have a device code (M, SM, L, X, Y, B, D, R,
// W, T, then the unit-buffer run that continues into CommentTMP), writes the
// block records to <MemPlcPath>/PLC_S, the text records to <MemPlcPath>/PLC_F
// and the header, block and text records to
// <MemPlcPath>/Resource/Others/COMMENT.WCD, which is replaced atomically: a
// process killed at any moment leaves the old or the new file.  The header
// words of the existing file are carried over (0xFFFF for words it does not
// hold); when it cannot be read the message box "<path> 새로운 파일을
// 생성해야합니다." is shown first.  Rewrites are serialised across processes.
//
// Every saved text loads back into the entry it came from, also beyond the
// 16-bit fields of a block record: see comment_save.cc.  Returns 1 when
// COMMENT.WCD was written, 0 when it could not be (a trace line
// "<path> 파일을 열 수 없습니다." names each file that could not be written;
// with no PLC project directory configured nothing is written at all).
int32_t SaveMemoryComment(const Context& context);
// The same, for a caller that holds the comment-file lock.
int32_t SaveMemoryCommentLocked(const Context& context);

}  // namespace quorsma::comment
