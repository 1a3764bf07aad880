// The configuration of quorsma io: the stations it polls and the transfers
// between their Modbus tables and the device memory.
//
// One statement per line, fields separated by blanks or tabs; `#` starts a
// comment that runs to the end of the line; blank lines are allowed.  A
// station line opens a station; the read and write lines after it belong to
// it:
//
//   station NAME tcp HOST:PORT unit N [OPTION VALUE]...
//   station NAME rtu DEVICE BAUD PARITY DATA STOP unit N [OPTION VALUE]...
//     NAME      letters, digits, _ - . (at most 32), unique in the file
//     HOST      an IPv4 address or a host name; PORT 1 to 65535
//     DEVICE    the serial device (/dev/ttyUSB0); BAUD 1200 to 921600;
//               PARITY none, even or odd; DATA 7 or 8; STOP 1 or 2
//     unit N    the unit id the requests carry, 0 to 255 (0 on RTU is the
//               broadcast address and is refused there)
//   options:
//     period MS    the time from the start of one cycle to the next (0 to
//                  3600000; default 100; 0: cycles back to back)
//     timeout MS   how long an answer may take to begin (10 to 60000;
//                  default 1000); a pause of 50 ms within it fails it
//     retries N    times a failed request is sent again in the same cycle
//                  (0 to 10; default 1)
//     health DEV   a bit device (M L B S X Y) the program holds at 1 while
//                  the station answers and at 0 while it does not
//     failures DEV a register (D W Z) holding the count of consecutive
//                  failed cycles, 0 while the station answers
//
//   read  TABLE ADDRESS DEVICE COUNT [FORMAT] [safe VALUE]
//   write TABLE ADDRESS DEVICE COUNT [FORMAT] [cyclic|on-change] [safe VALUE]
//     TABLE     read: coils, discrete-inputs, holding-registers,
//               input-registers; write: coils, holding-registers
//     ADDRESS   the first address, decimal, 0 to 65535
//     DEVICE    the first device in operand form: bit devices for bit tables
//               (X Y M L B S; a write also SM), registers for register
//               tables (D W Z; a write also R); X Y B W numbers hexadecimal
//     COUNT     devices, at least 1 and at most what one request carries:
//               2000 bits or 125 registers read, 1968 coils or 123
//               registers written (a 32-bit device takes two registers)
//     FORMAT    int16 (default: one register per device, read signed),
//               uint16 (read unsigned), int32-high-first, int32-low-first
//     cyclic    written every cycle (the default); on-change: only when a
//               value differs from what was last written, and after every
//               reconnection
//     safe V    read: the value the devices take when the station is lost;
//               write: the value written to the station when the program
//               stops; default: leave them as they are
//
// A file with any error is refused whole: every error is reported with its
// line, and nothing of the file is used.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace quorsma::tool::io {

enum class Table : uint8_t { kCoils, kDiscreteInputs, kHoldingRegisters, kInputRegisters };
const char* TableName(Table table);
inline bool IsBitTable(Table table) { return table == Table::kCoils || table == Table::kDiscreteInputs; }

enum class Format : uint8_t { kInt16, kUint16, kInt32HighFirst, kInt32LowFirst };
inline bool IsWide(Format format) { return format == Format::kInt32HighFirst || format == Format::kInt32LowFirst; }

// One run of devices of the image: its kind's name ("X", "SM") and numbers.
struct Devices {
  std::string kind;
  int32_t first = 0;
  int32_t count = 0;
  bool hex = false;
};

struct Transfer {
  bool write = false;  // device -> station; else station -> device
  Table table = Table::kHoldingRegisters;
  int32_t address = 0;
  Devices devices;
  Format format = Format::kInt16;
  bool on_change = false;
  std::optional<int32_t> safe;
  int line = 0;

  // Coils, inputs or registers one request moves.
  int32_t Items() const { return IsWide(format) ? devices.count * 2 : devices.count; }
};

struct Station {
  std::string name;
  bool rtu = false;
  std::string host;  // tcp
  int port = 502;
  std::string device;  // rtu
  int baud = 9600;
  char parity = 'N';
  int data_bits = 8;
  int stop_bits = 1;
  int unit = 1;
  int period_ms = 100;
  int timeout_ms = 1000;
  int retries = 1;
  std::optional<Devices> health;    // one bit device
  std::optional<Devices> failures;  // one register
  std::vector<Transfer> transfers;
  int line = 0;

  // "tcp 127.0.0.1:502 unit 1", "rtu /dev/ttyS0 9600 N 8 1 unit 3".
  std::string Address() const;
};

struct Config {
  std::vector<Station> stations;
};

// Parses configuration text; `name` prefixes the errors ("plant.io:3: ...").
// Returns false and every error when the text is refused.
bool ParseConfigText(const std::string& text, const std::string& name, Config* config,
                     std::vector<std::string>* errors);

// "X1F", "D100": one device's operand text.
std::string DeviceName(const Devices& devices, int32_t offset);
// "X0..XF", or "X0" for one device.
std::string DevicesText(const Devices& devices);

}  // namespace quorsma::tool::io
