// The operand texts the tool accepts, and for which use.
//
// The library parses operand texts itself and answers a text it cannot place
// with a failure value, a message box or silently nothing.  The tool checks
// every operand before it reaches the library, against the stricter grammar
// below, so that a program or a command line with a bad operand is refused
// with a clear error instead:
//
//   constant      K<decimal>                 K0 .. K2147483647
//   digit read    K<d><bit dev><n>[Z<k>]     d = 1..8 groups of 4 bits from a bit
//                                            device X Y M L B S SM (Z<k>: M only)
//   device        <dev><number>[.<bit>][Z<k>]
//     dev         X Y B W (hexadecimal numbers), M L S SM D R Z T (decimal)
//     number      below the device's area count (65,535 or 131,071)
//     .<bit>      D and W only, bit 0..15 in decimal, register number of at
//                 most four characters
//     Z<k>        index register k = 0..20; M B X Y D W only, not with .<bit>
//
// Letters may be typed in either case; the parsed operand and OperandText give
// the upper-case form the library reads.  Which of these a given use takes is
// the Role: the ladder reads digit groups of M relays only (the library's own
// digit read), the tool's monitor reads those of every bit device itself.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "quorsma/client.h"

namespace qsc {

// The record types are the public ones of client.hpp, so that the library and
// its C++ callers share one definition.
using Operand = quorsma::client::Operand;
using Role = quorsma::client::Role;

// Parses `text` by the grammar above; on failure returns false and a reason.
bool ParseOperand(std::string_view text, Operand* out, std::string* error);

// Element count of a device's area (0 for an unknown device).
int32_t AreaCount(std::string_view device);

// True for X Y B W, whose numbers are hexadecimal.
bool IsHexDevice(std::string_view device);
// True for the bit devices X Y M L B S SM (and T, whose value is its contact).
bool IsBitDevice(std::string_view device);

// The canonical upper-case text of a parsed operand ("X1F", "K4X0",
// "D100.3", "M10Z2", "K50").
std::string OperandText(const Operand& op);
// A plain device's text: "X1F", "D100".
std::string DeviceText(std::string_view device, int64_t number);

// Checks that `text` parses and suits `role`; on failure returns false and a
// reason that can follow the operand in an error message.
bool CheckOperand(std::string_view text, Role role, Operand* out, std::string* error);

}  // namespace qsc
