// Saving groups of 50 registers to the retentive files; shared by Set_Map
// and the D value-change check.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "core/context.h"

namespace quorsma::config {

inline constexpr int32_t kGroupSize = 50;
// Groups 0..2620 cover D0..D131049; group 2621 holds the 21 registers
// D131050..D131070 that end the area.
inline constexpr int32_t kGroupCount = 2622;

// D300..D1099 are saved at every change, whatever the log state.
inline constexpr int32_t kAlwaysRetentiveFirst = 300;
inline constexpr int32_t kAlwaysRetentiveEnd = 1100;
constexpr bool IsAlwaysRetentive(int32_t i) { return i >= kAlwaysRetentiveFirst && i < kAlwaysRetentiveEnd; }

enum class RegisterFile { kData, kWriteCheck };

// First register of the group of i, and the registers the group holds (50,
// or 21 for the last group; never past the end of the area).
constexpr int32_t GroupStart(int32_t i) { return i / kGroupSize * kGroupSize; }
int32_t GroupLength(int32_t start);

// The value text of a group: each cell as "%d,".  `out` holds at least 601
// characters.
std::size_t FormatGroup(const int32_t* cells, int32_t count, char* out);

// Writes the group of register i (0 <= i < 131,071) of D or WrDChk to its file
// in the memory-parameter directory, unless the file holds those values
// already.  The caller holds the LogLock, which also serialises the rewrites
// of the files between processes.  Returns 0, or the error that kept the file
// from being written; a failing file is reported through the message sink
// once, until a save of it succeeds again.  Without a memory-parameter
// directory there is nothing to save (0).
int SaveRegisterGroup(const Context& context, RegisterFile file, int32_t i);

// Stores the comma-terminated fields of a saved value text into cells[0..count):
// field k goes to cells[k] when its closing comma exists; an empty first field
// is not stored; places without a field keep their values.
void LoadGroup(std::string_view value, int32_t* cells, int32_t count);

// The path of a file in the memory-parameter directory.
std::string MemParaFile(const Image& image, const char* name);

}  // namespace quorsma::config
