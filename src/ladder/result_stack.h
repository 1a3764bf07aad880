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

// The index of the top entry for a depth read from the image.  True for the
// depth of a stack of 1..100 entries, found by one unsigned comparison on the
// path every instruction takes; otherwise false with -1 for an empty stack
// (depth 0 or below) and 99 for a depth above 100 (taken as full).
inline bool TopOf(int32_t depth, int32_t* top) {
  const uint32_t t = static_cast<uint32_t>(depth) - 1u;
  if (t < static_cast<uint32_t>(kStackCapacity)) {
    *top = static_cast<int32_t>(t);
    return true;
  }
  *top = depth <= 0 ? -1 : kStackCapacity - 1;
  return false;
}

inline void StackPush(int32_t& depth_cell, int32_t (&cells)[kStackCapacity], int32_t& last, int32_t value) {
  int32_t depth = LoadRelaxed(depth_cell);
  if (static_cast<uint32_t>(depth) >= static_cast<uint32_t>(kStackCapacity)) {
    if (depth > 0) return;  // full: the value is dropped
    depth = 0;
  }
  last = value;
  cells[depth] = value;
  depth_cell = depth + 1;
}

inline int32_t StackPop(int32_t& depth_cell, int32_t (&cells)[kStackCapacity], int32_t& last) {
  int32_t top;
  if (!TopOf(LoadRelaxed(depth_cell), &top) && top < 0) {
    // Empty: the last pushed value is pushed again and popped at once.
    int32_t value = last;
    cells[0] = value;
    depth_cell = 0;
    return value;
  }
  depth_cell = top;
  return cells[top];
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
// The entry a pop then push works on: the top one, or for an empty stack
// entry 0 with the last pushed value as the current result.
inline int32_t CurrentResult(Image& im, int32_t* top) {
  if (detail::TopOf(LoadRelaxed(im.ResultDepth), top) || *top >= 0) return im.ResultStack[*top];
  *top = 0;
  return im.LastResult;
}

template <typename Combine>
inline void ReplaceResult(const Context& c, Combine&& combine) {
  Image& im = *c.image;
  int32_t top;
  const int32_t p = CurrentResult(im, &top);
  int32_t value = combine(p);
  im.LastResult = value;
  im.ResultStack[top] = value;
  im.ResultDepth = top + 1;
}

// ReplaceResult for a `combine` that may decline: combine(p, &value) returns
// false to leave the stack untouched, and the caller then does the whole
// instruction another way.
template <typename Combine>
inline bool TryReplaceResult(const Context& c, Combine&& combine) {
  Image& im = *c.image;
  int32_t top;
  const int32_t p = CurrentResult(im, &top);
  int32_t value;
  if (!combine(p, &value)) return false;
  im.LastResult = value;
  im.ResultStack[top] = value;
  im.ResultDepth = top + 1;
  return true;
}

// Pop() for a `use` that may decline: use(value) sees the value Pop() would
// give and returns false to leave the stack untouched; when it returns true
// the stack ends as Pop() leaves it.  `use` does its own work after deciding,
// so an instruction either completes or changes nothing.
template <typename Use>
inline bool TryPop(const Context& c, Use&& use) {
  Image& im = *c.image;
  int32_t top;
  if (!detail::TopOf(LoadRelaxed(im.ResultDepth), &top) && top < 0) {
    const int32_t value = im.LastResult;
    if (!use(value)) return false;
    im.ResultStack[0] = value;
    im.ResultDepth = 0;
    return true;
  }
  if (!use(im.ResultStack[top])) return false;
  im.ResultDepth = top;
  return true;
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
