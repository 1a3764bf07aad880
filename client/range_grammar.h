// Device ranges and lists, as every command, server and binding of the tool
// takes them.
//
//   list    item[,item]...        blanks around an item are ignored
//   item    FIRST..LAST           one device kind, both ends included, each end a
//                                 plain device numbered in the device's own
//                                 radix (X1F..X2F, D100..D120, T0..T9); at most
//                                 kMaxRangeDevices devices
//         | OPERAND               one operand (operand_syntax.h, Role::kMonitor):
//                                 X0, D100.3, M10Z2, K4X0, K2Y10, T0
//         | all                   every device, where the caller allows it
//
// Letters may be typed in either case.  Constants (K50) are not devices and
// are refused in lists.  Every refusal comes with a reason.  The accepted and
// refused texts are tabled in tests/data/range_grammar_cases.tsv, which other
// implementations of the grammar test against too.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "operand_grammar.h"

namespace qsc {

inline constexpr int32_t kMaxRangeDevices = QSC_MAX_RANGE_DEVICES;

using DeviceRange = quorsma::client::DeviceRange;
using RangeItem = quorsma::client::RangeItem;
using RangeOptions = quorsma::client::RangeOptions;

// Parses one item; on failure returns false and a reason.
bool ParseRangeItem(std::string_view text, const RangeOptions& options, RangeItem* out, std::string* error);

// Parses a comma-separated list.  The reason of a failure names the item.
bool ParseRangeList(std::string_view text, const RangeOptions& options, std::vector<RangeItem>* out,
                    std::string* error);

// The operand texts the items stand for, in order: a range gives each of its
// devices ("X1F", "X20", ...), an operand its canonical text.  An "all" item
// gives nothing (the caller decides what every device means for it).
std::vector<std::string> ExpandOperands(const std::vector<RangeItem>& items);

// The cells an operand touches when read or written: a plain device or
// register bit its one cell; a digit group 4 x digits bits.  An index register
// suffix is resolved with `z_value` (the value of Z<k> at the time of use).
DeviceRange CellsOf(const Operand& op, int32_t z_value = 0);

// A set of whole cells: runs of devices, or every device.
class DeviceSet {
 public:
  DeviceSet() = default;

  bool all() const { return all_; }
  const std::vector<DeviceRange>& ranges() const { return ranges_; }
  void Add(const DeviceRange& range) { ranges_.push_back(range); }
  void AddAll() { all_ = true; }

  // True when every one of `count` cells from `number` on is in the set.
  bool Contains(std::string_view device, int64_t number, int64_t count = 1) const;
  bool Contains(const DeviceRange& cells) const { return Contains(cells.device, cells.first, cells.Count()); }

 private:
  bool all_ = false;
  std::vector<DeviceRange> ranges_;
};

}  // namespace qsc
