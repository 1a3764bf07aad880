#include "address_map.h"

#include <algorithm>
#include <cstddef>
#include <cstdio>

namespace quorsma::tool::modbus {
namespace {

#define QSMA_KIND(name, hex, bit, count, writable, kind) \
  DeviceKind { name, hex, bit, count, writable, qsc_device_kind_find(kind, sizeof kind - 1) }

const DeviceKind kKinds[] = {
    QSMA_KIND("X", true, true, QSMA_AREA_SMALL, true, "X"),
    QSMA_KIND("Y", true, true, QSMA_AREA_SMALL, true, "Y"),
    QSMA_KIND("M", false, true, QSMA_AREA_LARGE, true, "M"),
    QSMA_KIND("L", false, true, QSMA_AREA_LARGE, true, "L"),
    QSMA_KIND("B", true, true, QSMA_AREA_LARGE, true, "B"),
    QSMA_KIND("S", false, true, QSMA_AREA_SMALL, true, "S"),
    QSMA_KIND("SM", false, true, QSMA_AREA_SMALL, false, "SM"),
    QSMA_KIND("D", false, false, QSMA_AREA_LARGE, true, "D"),
    QSMA_KIND("W", true, false, QSMA_AREA_LARGE, true, "W"),
    QSMA_KIND("R", false, false, QSMA_AREA_SMALL, false, "R"),
    QSMA_KIND("Z", false, false, QSMA_AREA_SMALL, true, "Z"),
    QSMA_KIND("Tcur", false, false, QSMA_AREA_SMALL, false, "T"),
    DeviceKind{"Tset", false, false, QSMA_AREA_SMALL, false, nullptr},
};

#undef QSMA_KIND

}  // namespace

std::string_view TableName(Table table) {
  switch (table) {
    case Table::kCoils: return "coils";
    case Table::kDiscreteInputs: return "discrete-inputs";
    case Table::kHoldingRegisters: return "holding-registers";
    case Table::kInputRegisters: return "input-registers";
  }
  return "?";
}

const DeviceKind* FindDeviceKind(std::string_view name) {
  for (const DeviceKind& kind : kKinds)
    if (name == kind.name) return &kind;
  return nullptr;
}

const int32_t* DeviceCells(const MH_SHARED_STRUCTURE* image, const DeviceKind& kind) {
  return kind.cells_of != nullptr ? qsc_device_cells(image, kind.cells_of) : image->Tset;
}

std::string DeviceName(const DeviceKind& kind, int32_t number) {
  char text[24];
  std::snprintf(text, sizeof text, kind.hex ? "%s%X" : "%s%d", kind.name, static_cast<int>(number));
  return text;
}

bool AddressMap::Add(const MapRange& range, std::string* error) {
  std::vector<MapRange>& ranges = tables_[static_cast<int>(range.table)];
  auto at = std::lower_bound(ranges.begin(), ranges.end(), range.first_address,
                             [](const MapRange& r, int32_t address) { return r.first_address < address; });
  const MapRange* clash = nullptr;
  if (at != ranges.end() && at->first_address < range.EndAddress()) clash = &*at;
  if (at != ranges.begin() && std::prev(at)->EndAddress() > range.first_address) clash = &*std::prev(at);
  if (clash != nullptr) {
    *error = "addresses " + std::to_string(range.first_address) + ".." + std::to_string(range.EndAddress() - 1) +
             " of " + std::string(TableName(range.table)) + " overlap " +
             (clash->line > 0 ? "the range of line " + std::to_string(clash->line)
                              : "addresses " + std::to_string(clash->first_address) + ".." +
                                    std::to_string(clash->EndAddress() - 1));
    return false;
  }
  ranges.insert(at, range);
  return true;
}

bool AddressMap::Cover(Table table, int32_t address, int32_t count, std::vector<const MapRange*>* out) const {
  out->clear();
  const std::vector<MapRange>& ranges = tables_[static_cast<int>(table)];
  // The last range starting at or before the address.
  auto at = std::upper_bound(ranges.begin(), ranges.end(), address,
                             [](int32_t a, const MapRange& r) { return a < r.first_address; });
  if (at == ranges.begin()) return false;
  --at;
  const int32_t end = address + count;
  int32_t next = address;
  for (; at != ranges.end() && next < end; ++at) {
    if (at->first_address > next || at->EndAddress() <= next) return false;
    out->push_back(&*at);
    next = at->EndAddress();
  }
  return next >= end;
}

AddressMap DefaultMap() {
  AddressMap map;
  std::string ignored;
  const DeviceKind* x = FindDeviceKind("X");
  const DeviceKind* y = FindDeviceKind("Y");
  const DeviceKind* m = FindDeviceKind("M");
  const DeviceKind* d = FindDeviceKind("D");
  const DeviceKind* w = FindDeviceKind("W");
  auto add = [&](Table table, int32_t address, const DeviceKind* kind, int32_t count, bool writable) {
    MapRange range;
    range.table = table;
    range.first_address = address;
    range.kind = kind;
    range.count = count;
    range.writable = writable;
    map.Add(range, &ignored);
  };
  add(Table::kDiscreteInputs, 0, x, 8192, false);
  add(Table::kCoils, 0, y, 8192, true);
  add(Table::kCoils, 8192, m, 32768, true);
  add(Table::kHoldingRegisters, 0, d, 32768, true);
  add(Table::kHoldingRegisters, 32768, w, 8192, true);
  add(Table::kInputRegisters, 0, d, 32768, false);
  return map;
}

}  // namespace quorsma::tool::modbus
