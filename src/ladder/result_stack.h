// The operation-result stack and the block stack of the ladder engine.
//
// Both live in the shared image (ResultStack/ResultDepth/LastResult and
// BlockStack/BlockDepth/LastBlock), so every process sees one set.  A push on
// a full stack is dropped; a pop from an empty stack yields the value most
// recently pushed (the "last" cell), which is how a branch sees its branch
// point again after MPS took it off the stack.
//
// Any process may write the depth cells, so a depth is read once and every
// index is taken from that one read and kept inside the 100 cells: a depth
// above 100 counts as a full stack, a negative depth as an empty one.
#pragma once

#include <cstdint>

#include "core/context.h"
#include "core/shared_cell.h"

namespace quorsma::ladder {

inline constexpr int32_t kStackCapacity = 100;

namespace detail {

inline void StackPush(int32_t& depth_cell, int32_t (&cells)[kStackCapacity], int32_t& last, int32_t value) {
  int32_t depth = LoadRelaxed(depth_cell);
  if (depth >= kStackCapacity) return;  // full: the value is dropped
  if (depth < 0) depth = 0;
  last = value;
  cells[depth] = value;
  depth_cell = depth + 1;
}

inline int32_t StackPop(int32_t& depth_cell, int32_t (&cells)[kStackCapacity], int32_t& last) {
  int32_t depth = LoadRelaxed(depth_cell);
  if (depth <= 0) {
    // Empty: the last pushed value is pushed again and popped at once.
    int32_t value = last;
    cells[0] = value;
    depth_cell = 0;
    return value;
  }
  if (depth > kStackCapacity) depth = kStackCapacity;
  --depth;
  depth_cell = depth;
  return cells[depth];
}

}  // namespace detail

// Operation-result stack (the exported Push and Pop_p).
inline void Push(const Context& c, int32_t value) {
  Image& im = *c.image;
  detail::StackPush(im.ResultDepth, im.ResultStack, im.LastResult, value);
}
inline int32_t Pop(const Context& c) {
  Image& im = *c.image;
  return detail::StackPop(im.ResultDepth, im.ResultStack, im.LastResult);
}

// A pop followed by one push, as every series and parallel contact does:
// the current result p is taken off and `combine(p)` takes its place.  The
// stack cells end exactly as Pop() then Push() leave them, with the depth
// read once instead of twice.
template <typename Combine>
inline void ReplaceResult(const Context& c, Combine&& combine) {
  Image& im = *c.image;
  int32_t depth = LoadRelaxed(im.ResultDepth);
  int32_t top = 0;
  int32_t p;
  if (depth <= 0) {
    p = im.LastResult;  // empty: the last pushed value
  } else {
    if (depth > kStackCapacity) depth = kStackCapacity;
    top = depth - 1;
    p = im.ResultStack[top];
  }
  int32_t value = combine(p);
  im.LastResult = value;
  im.ResultStack[top] = value;
  im.ResultDepth = top + 1;
}

// Block stack: one copy of each open branch point (MPS pushes, MPP pops).
inline void BlockPush(const Context& c, int32_t value) {
  Image& im = *c.image;
  detail::StackPush(im.BlockDepth, im.BlockStack, im.LastBlock, value);
}
inline int32_t BlockPop(const Context& c) {
  Image& im = *c.image;
  return detail::StackPop(im.BlockDepth, im.BlockStack, im.LastBlock);
}

// End of scan: clears both stacks, their "last" cells and the branch-point
// store.  The branch counters and the edge memory are kept.
void END(const Context& c);

}  // namespace quorsma::ladder
