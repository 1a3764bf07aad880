#include "map_file.h"

#include <cctype>
#include <cstdint>
#include <sstream>

namespace quorsma::tool::modbus {
namespace {

std::vector<std::string> SplitFields(const std::string& line) {
  std::vector<std::string> fields;
  std::string field;
  for (char c : line) {
    if (c == '#') break;
    if (c == ' ' || c == '\t' || c == '\r') {
      if (!field.empty()) fields.push_back(std::move(field));
      field.clear();
    } else {
      field += c;
    }
  }
  if (!field.empty()) fields.push_back(std::move(field));
  return fields;
}

// A number of the radix, all of `text`, at most `limit`.
bool ParseNumber(const std::string& text, bool hex, int64_t limit, int64_t* value) {
  if (text.empty() || text.size() > 12) return false;
  int64_t v = 0;
  for (char c : text) {
    int digit = -1;
    if (c >= '0' && c <= '9') digit = c - '0';
    else if (hex && c >= 'A' && c <= 'F') digit = c - 'A' + 10;
    if (digit < 0) return false;
    v = v * (hex ? 16 : 10) + digit;
  }
  if (v > limit) return false;
  *value = v;
  return true;
}

bool ParseTable(const std::string& text, Table* table) {
  for (Table t : {Table::kCoils, Table::kDiscreteInputs, Table::kHoldingRegisters, Table::kInputRegisters}) {
    if (text == TableName(t)) {
      *table = t;
      return true;
    }
  }
  return false;
}

// "D100", "X1F", "Tcur5": the kind is the longest name that starts the text.
bool ParseDevice(const std::string& text, const DeviceKind** kind, int32_t* number, std::string* error) {
  std::size_t letters = 0;
  while (letters < text.size() && std::isalpha(static_cast<unsigned char>(text[letters]))) ++letters;
  const DeviceKind* found = nullptr;
  for (std::size_t n = letters; n > 0 && found == nullptr; --n) {
    found = FindDeviceKind(std::string_view(text).substr(0, n));
    if (found != nullptr) letters = n;
  }
  if (found == nullptr) {
    *error = "unknown device '" + text + "' (X Y M L B S SM D W R Z Tcur Tset)";
    return false;
  }
  int64_t value = 0;
  if (!ParseNumber(text.substr(letters), found->hex, found->count - 1, &value)) {
    *error = "device '" + text + "': " + found->name + " numbers are " + (found->hex ? "hexadecimal" : "decimal") +
             ", " + DeviceName(*found, 0) + " to " + DeviceName(*found, found->count - 1);
    return false;
  }
  *kind = found;
  *number = static_cast<int32_t>(value);
  return true;
}

// One range line; empty error when it is good.
std::string ParseRange(const std::vector<std::string>& f, MapRange* range) {
  if (f.size() < 4) return "a range is TABLE ADDRESS DEVICE COUNT [ro|rw] [int16|int32-high-first|int32-low-first]";
  if (!ParseTable(f[0], &range->table))
    return "unknown table '" + f[0] + "' (coils, discrete-inputs, holding-registers, input-registers)";
  int64_t address = 0;
  if (!ParseNumber(f[1], false, 65535, &address)) return "address '" + f[1] + "': a decimal number from 0 to 65535";
  range->first_address = static_cast<int32_t>(address);
  std::string error;
  if (!ParseDevice(f[2], &range->kind, &range->first_device, &error)) return error;
  const DeviceKind& kind = *range->kind;
  int64_t count = 0;
  if (!ParseNumber(f[3], false, 65536, &count) || count < 1)
    return "count '" + f[3] + "': a decimal number from 1 to 65536";
  range->count = static_cast<int32_t>(count);
  bool access_given = false, format_given = false;
  for (std::size_t i = 4; i < f.size(); ++i) {
    const std::string& option = f[i];
    if (option == "ro" || option == "rw") {
      if (access_given) return "'" + option + "': the access is given twice";
      access_given = true;
      range->writable = option == "rw";
    } else if (option == "int16" || option == "int32-high-first" || option == "int32-low-first") {
      if (format_given) return "'" + option + "': the format is given twice";
      format_given = true;
      range->wide = option != "int16";
      range->order = option == "int32-low-first" ? WordOrder::kLowFirst : WordOrder::kHighFirst;
    } else {
      return "unknown option '" + option + "' (ro, rw, int16, int32-high-first, int32-low-first)";
    }
  }
  const std::string table(TableName(range->table));
  if (kind.bit != IsBitTable(range->table))
    return std::string(kind.name) + (kind.bit ? " is a bit device: map it in coils or discrete-inputs"
                                              : " is a word device: map it in holding-registers or input-registers");
  if (range->wide && kind.bit) return "int32 formats apply to registers only";
  if (range->writable && !IsWritableTable(range->table)) return table + " are read only: 'rw' is not possible";
  if (range->writable && !kind.writable)
    return std::string(kind.name) + " cannot be written through the library's device write: map it ro";
  if (int64_t{range->first_device} + range->count > kind.count)
    return f[2] + " and " + f[3] + " devices run past the last " + kind.name + " (" +
           DeviceName(kind, kind.count - 1) + ")";
  if (int64_t{range->first_address} + (range->wide ? 2 : 1) * count > 65536)
    return "the range runs past address 65535";
  return {};
}

}  // namespace

bool ParseMapText(const std::string& text, const std::string& name, AddressMap* map,
                  std::vector<std::string>* errors) {
  AddressMap parsed;
  const std::size_t errors_before = errors->size();
  std::istringstream in(text);
  std::string line;
  int line_number = 0;
  int ranges = 0;
  while (std::getline(in, line)) {
    ++line_number;
    std::vector<std::string> fields = SplitFields(line);
    if (fields.empty()) continue;
    MapRange range;
    range.line = line_number;
    std::string error = ParseRange(fields, &range);
    if (error.empty()) parsed.Add(range, &error);
    if (!error.empty()) {
      errors->push_back(name + ":" + std::to_string(line_number) + ": " + error);
      continue;
    }
    ++ranges;
  }
  if (ranges == 0 && errors->size() == errors_before) errors->push_back(name + ": the file maps no address");
  if (errors->size() != errors_before) return false;
  *map = std::move(parsed);
  return true;
}

}  // namespace quorsma::tool::modbus
