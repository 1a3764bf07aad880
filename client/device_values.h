// Reading devices for display and formatting them, the same for get, watch,
// dump and the servers.
//
// Two ways to read:
//  - ReadPath::kLibrary reads as a ladder contact does (GetSma).  For M, B,
//    L, D and W this also runs the library's value-change check, so a change
//    made by another process is noticed (and logged) now.
//  - ReadPath::kImage reads the cells straight from the image and changes
//    nothing, not even the value-change bookkeeping: a server's poll does not
//    change what the log collector sees.
// Digit groups (K4X0) are always read from the image, bit by bit, since the
// library reads digit groups of M relays only; reading them has no side
// effect either way.
//
// Formats (ValueFormat):
//   dec   signed decimal                          -5, 1234, 1
//   hex   0x and 4 digits for a value of 16 bits, 8 beyond; bits and digit
//         groups by their width                   0x04D2, 0xFFFFFFFB, 0x1
//   bin   0b and the same widths in binary        0b0000010011010010
//   u16   the low 16 bits, unsigned decimal       65531
//
// JSON (one object per device):
//   {"operand":"T0","value":1,"comment":"...","forced":false,
//    "timer":{"current":120,"set":300,"coil":true}}
// "value" is a number for dec and u16 and a string for hex and bin; "comment"
// is UTF-8; "timer" is present for timers only, in the image's units of
// 10 ms; "error" replaces "value" when the device could not be read.
// CSV: the header line CsvHeader(), then one line per device with the same
// fields (timer fields empty for other devices).  Control characters of a
// comment are shown escaped (\r, \n, \t, \x1B) in the table and in CSV.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "operand_grammar.h"
#include "quorsma/quorsma.h"

namespace qsc {

using ReadPath = quorsma::client::ReadPath;
using ValueFormat = quorsma::client::ValueFormat;
using DeviceValue = quorsma::client::DeviceValue;

// Parses "dec", "hex", "bin" or "u16".
bool ParseValueFormat(std::string_view text, ValueFormat* out);

// Reads an operand that CheckOperand accepted for Role::kMonitor (a constant
// reads as its value).  `image` must be the mapped image.
DeviceValue ReadDeviceValue(MH_SHARED_STRUCTURE* image, const Operand& op, ReadPath path);
// Parses `text` first; an operand the grammar refuses gives ok == false.
DeviceValue ReadDeviceValue(MH_SHARED_STRUCTURE* image, const std::string& text, ReadPath path);

// The comment of a device cell (CP949 bytes, at most 255), read from the
// image; empty when the device has no comment area.
std::string CommentOf(const MH_SHARED_STRUCTURE* image, std::string_view device, int64_t number);
// The comment entry itself (QSMA_COMMENT_BYTES bytes); null when the device
// has no comment area or the number lies outside it.
char* CommentEntry(MH_SHARED_STRUCTURE* image, std::string_view device, int64_t number);

std::string FormatValue(const DeviceValue& v, ValueFormat format);
// A value typed for writing: decimal, or hexadecimal with 0x, with an
// optional sign; 32 bits (0xFFFFFFFF is -1).  False for anything else.
bool ParseValueText(const std::string& text, int32_t* value);
// The same text without the 32-bit wrap: -0xFFFFFFFF to 0xFFFFFFFF, for
// values such as a 32-bit digit group's that are read unsigned.
bool ParseWideValueText(const std::string& text, int64_t* value);
std::string ToJson(const DeviceValue& v, ValueFormat format);
// A JSON array of the values, one object per line.
std::string ToJsonArray(const std::vector<DeviceValue>& values, ValueFormat format);
std::string CsvHeader();
std::string ToCsv(const DeviceValue& v, ValueFormat format);

// Control bytes (below 0x20, and 0x7F) written as \r \n \t \xHH.  Works on
// CP949 and on UTF-8, whose multi-byte characters hold no such bytes.
std::string EscapeControls(std::string_view text);
// A text as a JSON string literal, quotes included.
std::string JsonString(std::string_view utf8);

}  // namespace qsc
