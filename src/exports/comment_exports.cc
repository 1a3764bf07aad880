// Exported comment editors (C calling convention).
#include "comment/comment_modify.h"
#include "exports/library.h"

extern "C" {

QSMA_EXPORT int32_t QSMA_CDECL smModifyMemoryComment(const char* kind, int32_t number, const char* comment) {
  const quorsma::Context& context = quorsma::exports::Ctx();
  if (context.image == nullptr) return 0;
  return quorsma::comment::ModifyMemoryComment(context, kind, number, comment);
}

QSMA_EXPORT int32_t QSMA_CDECL smModifyMemoryComment_FromFile(const char* path) {
  const quorsma::Context& context = quorsma::exports::Ctx();
  if (context.image == nullptr) return 0;
  return quorsma::comment::ModifyMemoryCommentFromFile(context, path);
}

}  // extern "C"
