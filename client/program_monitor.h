// What a runner publishes for monitors, beside the section in the lock
// directory, and how a monitor reads it back (see client.h, "The running
// program"):
//
//   quorsma.<section>.program   the program: written once when the runner
//                               starts, one instruction a line
//   quorsma.<section>.scan      the last scan: the result of every
//                               instruction and the scan statistics, replaced
//                               whole several times a second
//
// Both carry the run's identity, so that a reader never pairs the results of
// one run with the program of another; the scan file is one scan, whole (it
// is renamed over the old one), with its scan number.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "quorsma/client.h"

namespace qsc {

struct ProgramListing {
  int64_t run_id = 0;
  std::string name;
  std::vector<qsc_instruction> instructions;
};

// Largest files a reader takes: room for a program of 1,000,000 instructions
// at their longest.
inline constexpr std::size_t kMaxProgramFileBytes = 64u << 20;
inline constexpr std::size_t kMaxScanFileBytes = QSC_MAX_INSTRUCTIONS + 4096;

std::string FormatProgram(const ProgramListing& program);
// False with what is wrong for a text that is not a program file.
bool ParseProgram(std::string_view text, ProgramListing* program, std::string* error);

std::string FormatScan(const qsc_scan_state& state, const uint8_t* results);
bool ParseScan(std::string_view text, qsc_scan_state* state, std::vector<uint8_t>* results, std::string* error);

}  // namespace qsc
