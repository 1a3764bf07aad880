// Small text helpers shared by the subsystems: bounded formatting into a
// fixed buffer, never overrunning it.
#pragma once

#include <cstdarg>
#include <cstddef>
#include <cstdio>
#include <string>

namespace quorsma {

// snprintf into a fixed buffer; the text is always terminated and cut to fit.
template <std::size_t N>
inline int FormatTo(char (&buffer)[N], const char* format, ...)
#if defined(__GNUC__)
    __attribute__((format(printf, 2, 3)))
#endif
    ;

template <std::size_t N>
inline int FormatTo(char (&buffer)[N], const char* format, ...) {
  va_list args;
  va_start(args, format);
  int n = std::vsnprintf(buffer, N, format, args);
  va_end(args);
  return n;
}

// Formats into a std::string of any length.
std::string Format(const char* format, ...)
#if defined(__GNUC__)
    __attribute__((format(printf, 1, 2)))
#endif
    ;

}  // namespace quorsma
