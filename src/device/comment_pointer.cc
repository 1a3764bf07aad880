// GetComSma: the address of a device's 256-byte comment entry.
#include "core/areas.h"
#include "device/area_access.h"
#include "device/operand_index.h"
#include "device/read.h"

namespace quorsma::device {
namespace {

// Entry n of a comment block, or null outside the block.
template <std::size_t N>
char* Entry(char (&block)[N][QSMA_COMMENT_BYTES], int32_t n) {
  auto* entry = ElementAt(block, n);
  return entry ? *entry : nullptr;
}

}  // namespace

char* GetComSma(const Context& context, const char* operand) {
  if (operand[0] == '\0') return nullptr;
  const OperandIndex index = ResolveIndex(context, operand);
  if (index.value == kBadOperand) return nullptr;
  Image& image = *context.image;
  const int32_t n = index.cell;
  switch (operand[0]) {
    case 'S':
      if (operand[1] == 'M') return Entry(image.CommentSM, n);
      return Entry(image.CommentS, n);
    case 'D': return Entry(image.CommentD, n);
    case 'M': return Entry(image.CommentM, n);
    case 'T': return Entry(image.CommentT, n);
    case 'X': return Entry(image.CommentX, n);
    case 'B': return Entry(image.CommentB, n);
    case 'L': return Entry(image.CommentL, n);
    case 'Y': return Entry(image.CommentY, n);
    case 'R': return Entry(image.CommentR, n);
    case 'W': return Entry(image.CommentW, n);
    default: return nullptr;  // no comment block for this device
  }
}

}  // namespace quorsma::device
