// Bounded access to the device areas of the image.
//
// Every cell the device operations read, write or hand out goes through these
// helpers, which index the area as an array of its own size: an index outside
// the area reads 0, writes nothing and yields no address.  Indices are taken
// as 64-bit values so that a device number plus an index-register offset is
// tested whole, without wrapping into range.
#pragma once

#include <cstddef>
#include <cstdint>

namespace quorsma::device {

template <typename T, std::size_t N>
constexpr bool InBounds(const T (&)[N], int64_t i) {
  return static_cast<uint64_t>(i) < N;
}

// The cell's value, or 0 outside the area.
template <std::size_t N>
inline int32_t ReadCell(const int32_t (&area)[N], int64_t i) {
  return static_cast<uint64_t>(i) < N ? area[i] : 0;
}

// Writes the cell; false (and nothing written) outside the area.
template <std::size_t N>
inline bool WriteCell(int32_t (&area)[N], int64_t i, int32_t value) {
  if (static_cast<uint64_t>(i) >= N) return false;
  area[i] = value;
  return true;
}

// Address of the element, or null outside the area.
template <typename T, std::size_t N>
inline T* ElementAt(T (&area)[N], int64_t i) {
  return static_cast<uint64_t>(i) < N ? &area[i] : nullptr;
}

}  // namespace quorsma::device
