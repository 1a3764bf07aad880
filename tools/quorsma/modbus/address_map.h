// The address map of the Modbus server: which device of the image each
// address of the four Modbus tables stands for.
//
// A map is a list of ranges.  A range places `count` consecutive devices of
// one kind at consecutive addresses of one table, one address per device
// (bit devices in the bit tables, word devices as 16-bit registers) or two
// (word devices as 32-bit values, in the word order the range states).
// Ranges of one table never overlap; addresses no range covers are unmapped.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "quorsma/client.h"
#include "quorsma/quorsma.h"

namespace quorsma::tool::modbus {

enum class Table : uint8_t { kCoils, kDiscreteInputs, kHoldingRegisters, kInputRegisters };
inline constexpr int kTableCount = 4;

// The name of a table as map files and messages write it.
std::string_view TableName(Table table);
inline bool IsBitTable(Table table) { return table == Table::kCoils || table == Table::kDiscreteInputs; }
// Whether the protocol has write functions for the table.
inline bool IsWritableTable(Table table) { return table == Table::kCoils || table == Table::kHoldingRegisters; }

// A kind of device the map can hold.
struct DeviceKind {
  const char* name;     // as in operands: "X", "SM", ...; "Tcur"/"Tset" for timer values
  bool hex;             // numbers in hexadecimal (X Y B W)
  bool bit;             // a bit device (coils, discrete inputs) or a word device (registers)
  int32_t count;        // devices in the image's area
  // Whether the library's device write (SetSma) writes this kind; the others
  // (SM, R, timer values) can only be mapped read-only.
  bool writable;
  // The client library's kind whose cells these are (T for Tcur); null for
  // the timers' set values (Tset), which no kind names.
  const qsc_device_kind* cells_of;
};

// The kind called `name` (case sensitive), or null.
const DeviceKind* FindDeviceKind(std::string_view name);
// The image cells of a kind.
const int32_t* DeviceCells(const MH_SHARED_STRUCTURE* image, const DeviceKind& kind);
// "D100", "X1F": the operand text of one device.
std::string DeviceName(const DeviceKind& kind, int32_t number);

enum class WordOrder : uint8_t { kHighFirst, kLowFirst };

struct MapRange {
  Table table = Table::kHoldingRegisters;
  int32_t first_address = 0;
  const DeviceKind* kind = nullptr;
  int32_t first_device = 0;
  int32_t count = 0;        // devices
  bool wide = false;        // 32-bit: two registers per device
  WordOrder order = WordOrder::kHighFirst;
  bool writable = false;
  int line = 0;             // line of the map file; 0 in the default map

  int32_t AddressCount() const { return wide ? count * 2 : count; }
  int32_t EndAddress() const { return first_address + AddressCount(); }  // one past the last
};

class AddressMap {
 public:
  // Adds a range; false with a reason when it overlaps a range of its table.
  bool Add(const MapRange& range, std::string* error);
  // The ranges that cover [address, address + count) of `table` in address
  // order, or false when any address of it is unmapped.
  bool Cover(Table table, int32_t address, int32_t count, std::vector<const MapRange*>* ranges) const;
  const std::vector<MapRange>& Ranges(Table table) const { return tables_[static_cast<int>(table)]; }

 private:
  std::vector<MapRange> tables_[kTableCount];  // each sorted by first address
};

// The map used without a map file (documented in the README).
AddressMap DefaultMap();

}  // namespace quorsma::tool::modbus
