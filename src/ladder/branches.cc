// Block and branch instructions.
//
// MPS stores the current result at [BranchRow][BranchCol] of the 8 x 8
// branch-point store and raises both counters, so the n-th open branch point
// sits on the diagonal at [n-1][n-1]; MRD and MPP read the innermost one back.
// The counters are nesting depths, shared by every process, so they are read
// once and never used to address a cell outside the store:
//  - MPS beyond 8 open branch points stores nothing but still counts the
//    nesting (so balanced MPS/MPP pairs leave the counters as they were); the
//    MRD/MPP of such a branch push 0, as for no branch point at all.
//  - MPP with no open branch point pushes 0 and leaves the counters at 0
//    instead of taking them below it.
//  - A counter found at 100 or more, or below 0, makes MPS start again at 0.
#include "ladder/instructions.h"
#include "ladder/result_stack.h"

namespace quorsma::ladder {
namespace {

constexpr int32_t kCounterLimit = 100;

// The innermost stored branch point for the given counters, or 0 when there
// is none in the store.
int32_t StoredBranchPoint(const Image& im, int32_t row, int32_t col) {
  if (row < 1 || col < 1 || row > kBranchCells || col > kBranchCells) return 0;
  return im.BranchStack[row - 1][col - 1];
}

// The block stack's top entry, or `fallback` when the block stack is empty.
// The stack is left as a block pop and a push back of the entry leave it:
// unchanged, with LastBlock at the entry.
int32_t PeekBlock(const Context& c, int32_t fallback) {
  Image& im = *c.image;
  int32_t depth = LoadRelaxed(im.BlockDepth);
  if (depth <= 0) return fallback;
  if (depth > kStackCapacity) depth = kStackCapacity;
  int32_t top = im.BlockStack[depth - 1];
  im.LastBlock = top;
  im.BlockDepth = depth;
  return top;
}

}  // namespace

void MPS(const Context& c) {
  Image& im = *c.image;
  int32_t p = Pop(c);
  int32_t row = LoadRelaxed(im.BranchRow);
  int32_t col = LoadRelaxed(im.BranchCol);
  if (row >= kCounterLimit || col >= kCounterLimit || row < 0 || col < 0) row = col = 0;
  if (row < kBranchCells && col < kBranchCells) im.BranchStack[row][col] = p;
  im.BranchCol = col + 1;
  im.BranchRow = row + 1;
  BlockPush(c, p);
}

void MRD(const Context& c) {
  const Image& im = *c.image;
  Push(c, StoredBranchPoint(im, LoadRelaxed(im.BranchRow), LoadRelaxed(im.BranchCol)));
}

void MPP(const Context& c) {
  Image& im = *c.image;
  int32_t row = LoadRelaxed(im.BranchRow);
  int32_t col = LoadRelaxed(im.BranchCol);
  Push(c, StoredBranchPoint(im, row, col));
  im.BranchCol = col > 0 ? col - 1 : 0;
  im.BranchRow = row > 0 ? row - 1 : 0;
  BlockPop(c);
}

void ANB(const Context& c) {
  // Inside an open branch the innermost branch-point value takes part in the
  // AND; with none open, 1 (so the result is the lowest bit of a AND b).
  int32_t block = PeekBlock(c, 1);
  int32_t a = Pop(c);
  int32_t b = Pop(c);
  Push(c, a & b & block);
}

void ORB(const Context& c) {
  PeekBlock(c, 0);
  int32_t a = Pop(c);
  int32_t b = Pop(c);
  Push(c, a != 0 || b != 0 ? 1 : 0);
}

}  // namespace quorsma::ladder
