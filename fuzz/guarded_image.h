// A private image for the fuzz targets, lying between inaccessible pages so
// that AddressSanitizer-free accesses just past either end fault at once, and
// a way to give its written pages back as zero pages between inputs.
#pragma once

#include <sys/mman.h>
#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "core/context.h"

namespace quorsma::fuzzing {

// Maps the image so that it ends where a guard page begins; aborts when the
// mapping cannot be had.
inline Image* MapGuardedImage() {
  const std::size_t page = static_cast<std::size_t>(sysconf(_SC_PAGESIZE));
  const std::size_t body = (sizeof(Image) + page - 1) / page * page;
  const std::size_t total = body + 2 * page;
  void* p = mmap(nullptr, total, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS | MAP_NORESERVE, -1, 0);
  if (p == MAP_FAILED) {
    std::fprintf(stderr, "fuzz: cannot map the image\n");
    std::abort();
  }
  auto* base = static_cast<unsigned char*>(p);
  mprotect(base, page, PROT_NONE);
  mprotect(base + page + body, page, PROT_NONE);
  return reinterpret_cast<Image*>(base + page + body - sizeof(Image));
}

// Zeroes [begin, end): whole pages are given back to the kernel, the partial
// pages at either end are cleared by hand.
inline void ZeroRange(void* begin, void* end) {
  const std::size_t page = static_cast<std::size_t>(sysconf(_SC_PAGESIZE));
  auto b = (reinterpret_cast<std::uintptr_t>(begin) + page - 1) / page * page;
  auto e = reinterpret_cast<std::uintptr_t>(end) / page * page;
  std::memset(begin, 0, b - reinterpret_cast<std::uintptr_t>(begin));
  if (e > b) madvise(reinterpret_cast<void*>(b), e - b, MADV_DONTNEED);
  const std::uintptr_t tail = e > b ? e : b;
  std::memset(reinterpret_cast<void*>(tail), 0, reinterpret_cast<std::uintptr_t>(end) - tail);
}

// The bytes of one field of the image.
struct Span {
  const unsigned char* begin;
  std::size_t size;
};

template <typename T>
Span SpanOf(const T& field) {
  return {reinterpret_cast<const unsigned char*>(&field), sizeof(field)};
}

}  // namespace quorsma::fuzzing
