#include "ladder/result_stack.h"

#include <cstring>

namespace quorsma::ladder {

void END(const Context& c) {
  Image& im = *c.image;
  im.LastResult = 0;
  std::memset(im.ResultStack, 0, sizeof im.ResultStack);
  im.ResultDepth = 0;
  im.LastBlock = 0;
  std::memset(im.BlockStack, 0, sizeof im.BlockStack);
  im.BlockDepth = 0;
  std::memset(im.BranchStack, 0, sizeof im.BranchStack);
}

}  // namespace quorsma::ladder
