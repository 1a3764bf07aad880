#include "comment/comment_loader.h"

namespace quorsma::comment {

int32_t LoadMemoryComment(const Context&) { return 0; }

}  // namespace quorsma::comment
