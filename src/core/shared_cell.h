// Access to the cells of the image that other processes read and write while
// this one works on them.
//
// The image is ordinary memory mapped by every process, so the compiler must
// be told which reads and writes of a cell may meet another process's.  They
// all go through std::atomic_ref, with the memory order said at each use:
//   - relaxed: one whole read or write of the cell, made once.  A value read
//     this way is the value that is then bounds-checked and used; the
//     compiler may neither read the cell again nor keep an older copy;
//   - acquire / sequentially consistent: hand-over of data between processes
//     (the value-change mailbox), where the data written before a flag must
//     be seen by whoever sees the flag.
// `volatile` is not used: it orders nothing and is not atomic by the
// language's rules.  An aligned 32-bit cell is lock-free, so the atomics work
// between processes as between threads.
#pragma once

#include <atomic>
#include <cstdint>

namespace quorsma {

static_assert(std::atomic_ref<int32_t>::is_always_lock_free, "shared cells need lock-free 32-bit atomics");
static_assert(std::atomic_ref<int32_t>::required_alignment == alignof(int32_t),
              "every int32_t cell of the image must be usable through std::atomic_ref");

inline int32_t LoadRelaxed(const int32_t& cell) {
  return std::atomic_ref<int32_t>(const_cast<int32_t&>(cell)).load(std::memory_order_relaxed);
}
inline void StoreRelaxed(int32_t& cell, int32_t value) {
  std::atomic_ref<int32_t>(cell).store(value, std::memory_order_relaxed);
}
inline int32_t LoadAcquire(const int32_t& cell) {
  return std::atomic_ref<int32_t>(const_cast<int32_t&>(cell)).load(std::memory_order_acquire);
}
// A store that no later read of this thread may pass, not even a read of
// another cell (a release store alone allows that).
inline void StoreSequential(int32_t& cell, int32_t value) {
  std::atomic_ref<int32_t>(cell).store(value, std::memory_order_seq_cst);
}

}  // namespace quorsma
