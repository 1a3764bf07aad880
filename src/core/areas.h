// Bounds of the device areas: the element counts of the image's arrays.
#pragma once

#include <cstdint>

#include "quorsma/quorsma.h"

namespace quorsma {

inline constexpr int32_t kSmallArea = QSMA_AREA_SMALL;  // 65,535 elements
inline constexpr int32_t kLargeArea = QSMA_AREA_LARGE;  // 131,071 elements
inline constexpr int32_t kBadOperand = QSMA_BAD_OPERAND;

// Number of elements of a one-dimensional array field.
template <typename T, std::size_t N>
constexpr int32_t CountOf(const T (&)[N]) {
  return static_cast<int32_t>(N);
}

// True when index i names an element of an area of `count` elements.
// One unsigned comparison: negative indices wrap to large values.
constexpr bool InArea(int32_t i, int32_t count) {
  return static_cast<uint32_t>(i) < static_cast<uint32_t>(count);
}

}  // namespace quorsma

#include <cstring>
#include <string>

namespace quorsma {

// The text of a fixed-size text field of the image, read no further than the
// field even when another process left it unterminated.
template <std::size_t N>
std::string FieldText(const char (&field)[N]) {
  const void* end = std::memchr(field, '\0', N);
  std::size_t n = end ? static_cast<std::size_t>(static_cast<const char*>(end) - field) : N;
  return std::string(field, n);
}

}  // namespace quorsma
