#include "io_config.h"

#include <cctype>
#include <cstdio>
#include <set>
#include <sstream>

#include "quorsma/client.h"

namespace quorsma::tool::io {
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

// A number of the radix, all of `text`, from `low` to `high`.
bool ParseNumber(const std::string& text, bool hex, int64_t low, int64_t high, int64_t* value) {
  if (text.empty() || text.size() > 12) return false;
  int64_t v = 0;
  for (char c : text) {
    int digit = -1;
    if (c >= '0' && c <= '9') digit = c - '0';
    else if (hex && c >= 'A' && c <= 'F') digit = c - 'A' + 10;
    if (digit < 0) return false;
    v = v * (hex ? 16 : 10) + digit;
  }
  if (v < low || v > high) return false;
  *value = v;
  return true;
}

std::string Range(int64_t low, int64_t high) {
  return "a decimal number from " + std::to_string(low) + " to " + std::to_string(high);
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

// "D100", "X1F": the kind is the longest name that starts the text; `kinds`
// lists those allowed here.
std::string ParseDevices(const std::string& text, const std::string& kinds, int64_t count, Devices* out) {
  std::size_t letters = 0;
  while (letters < text.size() && std::isupper(static_cast<unsigned char>(text[letters]))) ++letters;
  const qsc_device_kind* kind = nullptr;
  for (; letters > 0 && kind == nullptr; --letters) kind = qsc_device_kind_find(text.c_str(), letters);
  if (kind != nullptr) ++letters;
  const std::string name = text.substr(0, letters);
  std::istringstream allowed(kinds);
  bool listed = false;
  for (std::string k; allowed >> k;) listed = listed || k == name;
  if (kind == nullptr || !listed) return "device '" + text + "': here " + kinds;
  const bool hex = kind->radix == 16;
  int64_t number = 0;
  Devices devices{name, 0, 1, hex};
  if (!ParseNumber(text.substr(letters), hex, 0, kind->count - 1, &number))
    return "device '" + text + "': " + name + " numbers are " + (hex ? "hexadecimal" : "decimal") + ", " +
           DeviceName(devices, 0) + " to " + DeviceName(devices, kind->count - 1);
  devices.first = static_cast<int32_t>(number);
  devices.count = static_cast<int32_t>(count);
  if (number + count > kind->count)
    return text + " and " + std::to_string(count) + " devices run past the last " + name + " (" +
           DeviceName(devices, kind->count - 1 - devices.first) + ")";
  *out = devices;
  return {};
}

std::string ParseStation(const std::vector<std::string>& f, Station* s) {
  static const char* kUsage =
      "a station is: station NAME tcp HOST:PORT unit N [OPTION VALUE]... or station NAME rtu DEVICE BAUD PARITY "
      "DATA STOP unit N [OPTION VALUE]...";
  if (f.size() < 3) return kUsage;
  s->name = f[1];
  if (s->name.size() > 32 || s->name.find_first_not_of("ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz"
                                                       "0123456789_-.") != std::string::npos)
    return "station name '" + s->name + "': at most 32 letters, digits, _ - .";
  std::size_t i = 3;
  int64_t n = 0;
  if (f[2] == "tcp") {
    if (f.size() < 4) return kUsage;
    const std::size_t colon = f[3].rfind(':');
    if (colon == std::string::npos || colon == 0 || !ParseNumber(f[3].substr(colon + 1), false, 1, 65535, &n))
      return "'" + f[3] + "': HOST:PORT, such as 192.168.0.10:502";
    s->host = f[3].substr(0, colon);
    s->port = static_cast<int>(n);
    i = 4;
  } else if (f[2] == "rtu") {
    if (f.size() < 8) return kUsage;
    s->rtu = true;
    s->device = f[3];
    if (!ParseNumber(f[4], false, 1200, 921600, &n)) return "baud '" + f[4] + "': " + Range(1200, 921600);
    s->baud = static_cast<int>(n);
    if (f[5] == "none") s->parity = 'N';
    else if (f[5] == "even") s->parity = 'E';
    else if (f[5] == "odd") s->parity = 'O';
    else return "parity '" + f[5] + "': none, even or odd";
    if (f[6] != "7" && f[6] != "8") return "data bits '" + f[6] + "': 7 or 8";
    s->data_bits = f[6][0] - '0';
    if (f[7] != "1" && f[7] != "2") return "stop bits '" + f[7] + "': 1 or 2";
    s->stop_bits = f[7][0] - '0';
    i = 8;
  } else {
    return "link '" + f[2] + "': tcp or rtu";
  }
  if (i + 1 >= f.size() || f[i] != "unit") return "the unit id is missing: ... unit N";
  if (!ParseNumber(f[i + 1], false, s->rtu ? 1 : 0, s->rtu ? 247 : 255, &n))
    return "unit '" + f[i + 1] + "': " + (s->rtu ? Range(1, 247) : Range(0, 255));
  s->unit = static_cast<int>(n);
  std::set<std::string> given;
  for (i += 2; i < f.size(); i += 2) {
    const std::string& option = f[i];
    if (i + 1 >= f.size()) return "option '" + option + "' has no value";
    const std::string& value = f[i + 1];
    if (!given.insert(option).second) return "option '" + option + "' is given twice";
    if (option == "period") {
      if (!ParseNumber(value, false, 0, 3600000, &n)) return "period '" + value + "': " + Range(0, 3600000);
      s->period_ms = static_cast<int>(n);
    } else if (option == "timeout") {
      if (!ParseNumber(value, false, 10, 60000, &n)) return "timeout '" + value + "': " + Range(10, 60000);
      s->timeout_ms = static_cast<int>(n);
    } else if (option == "retries") {
      if (!ParseNumber(value, false, 0, 10, &n)) return "retries '" + value + "': " + Range(0, 10);
      s->retries = static_cast<int>(n);
    } else if (option == "health") {
      Devices d;
      std::string error = ParseDevices(value, "M L B S X Y", 1, &d);
      if (!error.empty()) return "health " + error;
      s->health = d;
    } else if (option == "failures") {
      Devices d;
      std::string error = ParseDevices(value, "D W Z", 1, &d);
      if (!error.empty()) return "failures " + error;
      s->failures = d;
    } else {
      return "unknown option '" + option + "' (period, timeout, retries, health, failures)";
    }
  }
  return {};
}

std::string ParseTransfer(const std::vector<std::string>& f, Transfer* t) {
  t->write = f[0] == "write";
  if (f.size() < 5)
    return t->write ? "a write is: write TABLE ADDRESS DEVICE COUNT [FORMAT] [cyclic|on-change] [safe VALUE]"
                    : "a read is: read TABLE ADDRESS DEVICE COUNT [FORMAT] [safe VALUE]";
  if (!ParseTable(f[1], &t->table))
    return "unknown table '" + f[1] + "' (coils, discrete-inputs, holding-registers, input-registers)";
  if (t->write && (t->table == Table::kDiscreteInputs || t->table == Table::kInputRegisters))
    return std::string(TableName(t->table)) + " are read only: write to coils or holding-registers";
  int64_t address = 0;
  if (!ParseNumber(f[2], false, 0, 65535, &address)) return "address '" + f[2] + "': " + Range(0, 65535);
  t->address = static_cast<int32_t>(address);
  bool format_given = false, mode_given = false;
  for (std::size_t i = 5; i < f.size(); ++i) {
    const std::string& option = f[i];
    if (option == "int16" || option == "uint16" || option == "int32-high-first" || option == "int32-low-first") {
      if (format_given) return "'" + option + "': the format is given twice";
      format_given = true;
      t->format = option == "int16"              ? Format::kInt16
                  : option == "uint16"           ? Format::kUint16
                  : option == "int32-high-first" ? Format::kInt32HighFirst
                                                 : Format::kInt32LowFirst;
    } else if (t->write && (option == "cyclic" || option == "on-change")) {
      if (mode_given) return "'" + option + "': cyclic or on-change is given twice";
      mode_given = true;
      t->on_change = option == "on-change";
    } else if (option == "safe") {
      if (t->safe) return "'safe' is given twice";
      if (i + 1 >= f.size()) return "'safe' has no value";
      int64_t value = 0;
      const std::string& text = f[++i];
      if (qsc_parse_value(text.data(), text.size(), 0, &value) != QSC_OK)
        return "safe value '" + text + "': a decimal or 0x hexadecimal 32-bit value";
      t->safe = static_cast<int32_t>(value);
    } else {
      return std::string("unknown option '") + option + "' (int16, uint16, int32-high-first, int32-low-first, " +
             (t->write ? "cyclic, on-change, " : "") + "safe VALUE)";
    }
  }
  const bool bits = IsBitTable(t->table);
  if (bits && format_given) return "a format applies to registers only";
  int64_t count = 0;
  const int64_t most = bits ? (t->write ? 1968 : 2000) : (t->write ? 123 : 125) / (IsWide(t->format) ? 2 : 1);
  if (!ParseNumber(f[4], false, 1, most, &count))
    return "count '" + f[4] + "': " + Range(1, most) + ", what one request of " + TableName(t->table) +
           (IsWide(t->format) ? " in 32 bits" : "") + " carries";
  const std::string kinds = bits ? (t->write ? "X Y M L B S SM" : "X Y M L B S") : (t->write ? "D W Z R" : "D W Z");
  std::string error = ParseDevices(f[3], kinds, count, &t->devices);
  if (!error.empty()) return error;
  if (bits && t->safe && *t->safe != 0 && *t->safe != 1) return "the safe value of bits is 0 or 1";
  if (t->address + t->Items() > 65536) return "the transfer runs past address 65535";
  return {};
}

struct Claimed {
  Devices devices;
  std::string where;
};

// Two reads (or a read and a health relay or counter) into the same device
// would fight over it.
std::string Overlap(std::vector<Claimed>* claimed, const Devices& d, const std::string& where) {
  for (const Claimed& c : *claimed) {
    if (c.devices.kind == d.kind && c.devices.first < d.first + d.count && d.first < c.devices.first + c.devices.count)
      return DevicesText(d) + " overlaps " + DevicesText(c.devices) + ", written by " + c.where;
  }
  claimed->push_back({d, where});
  return {};
}

}  // namespace

const char* TableName(Table table) {
  switch (table) {
    case Table::kCoils: return "coils";
    case Table::kDiscreteInputs: return "discrete-inputs";
    case Table::kHoldingRegisters: return "holding-registers";
    case Table::kInputRegisters: return "input-registers";
  }
  return "?";
}

std::string DeviceName(const Devices& devices, int32_t offset) {
  char text[32];
  qsc_device_text(devices.kind.c_str(), int64_t{devices.first} + offset, text, sizeof text);
  return text;
}

std::string DevicesText(const Devices& devices) {
  if (devices.count == 1) return DeviceName(devices, 0);
  return DeviceName(devices, 0) + ".." + DeviceName(devices, devices.count - 1);
}

std::string Station::Address() const {
  if (!rtu) return "tcp " + host + ":" + std::to_string(port) + " unit " + std::to_string(unit);
  return "rtu " + device + " " + std::to_string(baud) + " " + parity + " " + std::to_string(data_bits) + " " +
         std::to_string(stop_bits) + " unit " + std::to_string(unit);
}

bool ParseConfigText(const std::string& text, const std::string& name, Config* config,
                     std::vector<std::string>* errors) {
  Config parsed;
  const std::size_t errors_before = errors->size();
  std::vector<Claimed> claimed;
  std::set<std::string> names;
  std::istringstream in(text);
  std::string line;
  int line_number = 0;
  bool in_bad_station = false;
  auto fail = [&](const std::string& error) {
    errors->push_back(name + ":" + std::to_string(line_number) + ": " + error);
  };
  while (std::getline(in, line)) {
    ++line_number;
    std::vector<std::string> fields = SplitFields(line);
    if (fields.empty()) continue;
    const std::string where = "line " + std::to_string(line_number);
    if (fields[0] == "station") {
      Station station;
      station.line = line_number;
      std::string error = ParseStation(fields, &station);
      if (error.empty() && !names.insert(station.name).second) error = "station '" + station.name + "' is named twice";
      for (const auto& relay : {station.health, station.failures})
        if (error.empty() && relay) error = Overlap(&claimed, *relay, where);
      in_bad_station = !error.empty();
      if (!error.empty()) fail(error);
      parsed.stations.push_back(std::move(station));
    } else if (fields[0] == "read" || fields[0] == "write") {
      if (parsed.stations.empty()) {
        fail("a " + fields[0] + " belongs to a station: write a station line first");
        continue;
      }
      Transfer transfer;
      transfer.line = line_number;
      std::string error = ParseTransfer(fields, &transfer);
      if (error.empty() && !transfer.write) error = Overlap(&claimed, transfer.devices, where);
      if (!error.empty()) fail(error);
      else if (!in_bad_station) parsed.stations.back().transfers.push_back(transfer);
    } else {
      fail("unknown statement '" + fields[0] + "' (station, read, write)");
    }
  }
  if (errors->size() == errors_before) {
    if (parsed.stations.empty()) errors->push_back(name + ": the file names no station");
    for (const Station& s : parsed.stations)
      if (s.transfers.empty())
        errors->push_back(name + ":" + std::to_string(s.line) + ": station '" + s.name + "' has no transfer");
    // The stations of one serial line share it, so they share its settings.
    for (const Station& s : parsed.stations)
      for (const Station& t : parsed.stations) {
        if (&t == &s) break;
        if (s.rtu && t.rtu && s.device == t.device &&
            (s.baud != t.baud || s.parity != t.parity || s.data_bits != t.data_bits || s.stop_bits != t.stop_bits)) {
          errors->push_back(name + ":" + std::to_string(s.line) + ": station '" + s.name + "' uses " + s.device +
                            " with other settings than station '" + t.name + "'");
          break;
        }
      }
  }
  if (errors->size() != errors_before) return false;
  *config = std::move(parsed);
  return true;
}

}  // namespace quorsma::tool::io
