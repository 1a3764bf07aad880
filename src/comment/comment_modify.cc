#include "comment/comment_modify.h"

#include <cstring>
#include <string_view>

#include "comment/comment_kinds.h"
#include "comment/comment_save.h"
#include "core/areas.h"
#include "core/messages.h"
#include "platform/env.h"

namespace quorsma::comment {

int32_t ModifyMemoryComment(const Context& context, const char* kind, int32_t number, const char* comment) {
  if (kind == nullptr || comment == nullptr) return 0;
  const CommentArea area = FindKindArea(kind);
  if (area == nullptr) {
    context.env->ShowMessage(text::kMsgModifyComment);
    context.env->ShowMessage(comment);
    return 0;
  }
  if (!InArea(number, kLargeArea)) return 0;

  // The entry changes and the file is rewritten under the comment-file lock,
  // so no attach loads the old file in between and puts the old text back.
  platform::ScopedLock lock(context.env->CommentFileLock());
  char* entry = (context.image->*area)[number];
  std::memset(entry, 0, kEntryBytes);
  const void* nul = std::memchr(comment, '\0', kMaxCommentLength);
  const std::size_t length =
      nul ? static_cast<std::size_t>(static_cast<const char*>(nul) - comment) : kMaxCommentLength;
  std::memcpy(entry, comment, length);
  return SaveMemoryCommentLocked(context);
}

}  // namespace quorsma::comment
