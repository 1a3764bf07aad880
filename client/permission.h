// Write permissions: which devices a front end's writes may reach.  A
// permission grants exactly what its text names: whole cells for devices,
// ranges and digit groups, and for a register bit (D100.3) that bit alone,
// so that a permission of D100.3 never lets a write change the other 15 bits.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "range_grammar.h"

namespace qsc {

class Permission {
 public:
  // "" (or blanks) grants nothing; "all" everything; else a device list
  // (range_grammar.h) without indexed items.  False with a reason.
  static bool Parse(std::string_view text, Permission* out, std::string* error);

  bool all() const { return cells_.all(); }
  bool empty() const { return !cells_.all() && cells_.ranges().empty() && bits_.empty(); }

  // True when every one of `count` whole cells from `number` on is granted.
  bool AllowsCells(std::string_view device, int64_t number, int64_t count = 1) const {
    return cells_.Contains(device, number, count);
  }
  // True when bit `bit` of the register may be written on its own.
  bool AllowsBit(std::string_view device, int64_t number, int32_t bit) const;

 private:
  struct RegisterBit {
    std::string device;
    int64_t number = 0;
    int32_t bit = 0;
  };
  DeviceSet cells_;
  std::vector<RegisterBit> bits_;
};

}  // namespace qsc
