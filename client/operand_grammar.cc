#include "operand_grammar.h"

#include <cctype>
#include <cstdio>

#include "device_kinds.h"

namespace qsc {
namespace {

constexpr int32_t kMaxIndexRegister = 20;  // the library warns above this

bool IsDigit(char c) { return c >= '0' && c <= '9'; }
bool IsHexDigit(char c) { return IsDigit(c) || (c >= 'A' && c <= 'F'); }

// Reads digits of the radix from `text` at `*pos`; false when none or when the
// value grows past `limit`.  The tool reads its own numbers: it builds on the
// public header alone, not on the library's private number reader.
bool ReadNumber(std::string_view text, std::size_t* pos, bool hex, int64_t limit, int64_t* value) {
  std::size_t start = *pos;
  int64_t v = 0;
  while (*pos < text.size() && (hex ? IsHexDigit(text[*pos]) : IsDigit(text[*pos]))) {
    char c = text[*pos];
    v = v * (hex ? 16 : 10) + (IsDigit(c) ? c - '0' : c - 'A' + 10);
    if (v > limit) return false;
    ++*pos;
  }
  *value = v;
  return *pos > start;
}

bool Fail(std::string* error, std::string reason) {
  if (error) *error = std::move(reason);
  return false;
}

// Optional "Z<k>" at *pos.
bool ReadIndexSuffix(std::string_view text, std::size_t* pos, int32_t* index, std::string* error) {
  if (*pos >= text.size() || text[*pos] != 'Z') return true;
  ++*pos;
  int64_t k = 0;
  if (!ReadNumber(text, pos, false, 1000000, &k)) return Fail(error, "Z must be followed by an index register number");
  if (k > kMaxIndexRegister) return Fail(error, "index register Z" + std::to_string(k) + " is above Z20");
  *index = static_cast<int32_t>(k);
  return true;
}

// The device name at the start of `text` (SM before S), or empty.
std::string DeviceAt(std::string_view text) {
  if (text.substr(0, 2) == "SM") return "SM";
  if (!text.empty() && AreaCount(text.substr(0, 1)) > 0) return std::string(1, text[0]);
  return {};
}

}  // namespace

bool IsHexDevice(std::string_view device) {
  const qsc_device_kind* kind = FindKind(device);
  return kind != nullptr && kind->radix == 16;
}

bool IsBitDevice(std::string_view device) {
  const qsc_device_kind* kind = FindKind(device);
  return kind != nullptr && kind->is_bit;
}

std::string DeviceText(std::string_view device, int64_t number) {
  char text[32];
  std::snprintf(text, sizeof text, IsHexDevice(device) ? "%.*s%llX" : "%.*s%lld", static_cast<int>(device.size()),
                device.data(), static_cast<long long>(number));
  return text;
}

std::string OperandText(const Operand& op) {
  char text[64];
  const auto number = static_cast<long long>(op.number);
  switch (op.kind) {
    case Operand::Kind::kConstant:
      std::snprintf(text, sizeof text, "K%lld", number);
      return text;
    case Operand::Kind::kDigits:
      std::snprintf(text, sizeof text, "K%d%s", op.digits, DeviceText(op.device, op.number).c_str());
      break;
    case Operand::Kind::kDevice:
      if (op.bit >= 0)
        std::snprintf(text, sizeof text, "%s.%d", DeviceText(op.device, op.number).c_str(), op.bit);
      else
        std::snprintf(text, sizeof text, "%s", DeviceText(op.device, op.number).c_str());
      break;
  }
  std::string result = text;
  if (op.index_register >= 0) {
    std::snprintf(text, sizeof text, "Z%d", op.index_register);
    result.append(text);
  }
  return result;
}

int32_t AreaCount(std::string_view device) {
  const qsc_device_kind* kind = FindKind(device);
  return kind != nullptr ? kind->count : 0;
}

bool ParseOperand(std::string_view typed, Operand* out, std::string* error) {
  Operand op;
  if (typed.empty()) return Fail(error, "empty operand");
  std::string upper(typed);
  for (char& c : upper) {
    if (static_cast<unsigned char>(c) < 0x21 || static_cast<unsigned char>(c) > 0x7E)
      return Fail(error, "operands are plain ASCII without blanks");
    c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  }
  const std::string_view text = upper;
  std::size_t pos = 0;
  if (text[0] == 'K') {
    pos = 1;
    int64_t value = 0;
    if (!ReadNumber(text, &pos, false, INT32_MAX, &value))
      return Fail(error, "a constant is K and a decimal number from 0 to 2147483647");
    if (pos == text.size()) {
      op.kind = Operand::Kind::kConstant;
      op.number = value;
      *out = op;
      return true;
    }
    op.device = DeviceAt(text.substr(pos));
    if (value < 1 || value > 8 || op.device.empty() || !IsBitDevice(op.device) || op.device == "T")
      return Fail(error, "a digit read is K1..K8 followed by a bit device, as in K4M100 or K2X10");
    op.kind = Operand::Kind::kDigits;
    op.digits = static_cast<int32_t>(value);
    pos += op.device.size();
    const int32_t count = AreaCount(op.device);
    if (!ReadNumber(text, &pos, IsHexDevice(op.device), count - 1, &op.number))
      return Fail(error, op.device + " number missing or above " + DeviceText(op.device, count - 1));
    if (op.number + 4 * op.digits > count)
      return Fail(error, "the bits run past " + DeviceText(op.device, count - 1));
    if (!ReadIndexSuffix(text, &pos, &op.index_register, error)) return false;
    if (pos != text.size()) return Fail(error, "unexpected text after the device number");
    *out = op;
    return true;
  }

  if (text.substr(0, 2) == "SM") {
    op.device = "SM";
  } else {
    op.device = std::string(1, text[0]);
  }
  int32_t count = AreaCount(op.device);
  if (count == 0) return Fail(error, "unknown device " + std::string(1, text[0]));
  pos = op.device.size();
  bool hex = IsHexDevice(op.device);
  std::size_t number_start = pos;
  if (!ReadNumber(text, &pos, hex, count - 1, &op.number)) {
    if (pos < text.size() && (hex ? IsHexDigit(text[pos]) : IsDigit(text[pos]))) {
      char last[16];
      std::snprintf(last, sizeof last, hex ? "%X" : "%d", count - 1);
      return Fail(error, op.device + " numbers end at " + last + (hex ? " (hexadecimal)" : ""));
    }
    return Fail(error, std::string("a ") + (hex ? "hexadecimal" : "decimal") + " device number must follow " +
                           op.device);
  }
  std::size_t number_length = pos - number_start;
  if (pos < text.size() && text[pos] == '.') {
    if (!FindKind(op.device)->has_bits) return Fail(error, "only D and W registers have bits");
    if (number_length > 4) return Fail(error, "a bit of a register needs a register number of at most 4 characters");
    ++pos;
    int64_t bit = 0;
    if (!ReadNumber(text, &pos, false, 99, &bit) || bit > 15)
      return Fail(error, "the bit after '.' is a decimal number from 0 to 15");
    op.bit = static_cast<int32_t>(bit);
  }
  if (!ReadIndexSuffix(text, &pos, &op.index_register, error)) return false;
  if (pos != text.size()) return Fail(error, "unexpected text after the device number");
  if (op.index_register >= 0) {
    if (op.bit >= 0) return Fail(error, "a register bit cannot also be indexed");
    if (!FindKind(op.device)->indexable)
      return Fail(error, "only M, B, X, Y, D and W take an index register");
  }
  *out = op;
  return true;
}

bool CheckOperand(std::string_view text, Role role, Operand* out, std::string* error) {
  Operand op;
  if (!ParseOperand(text, &op, error)) return false;
  const std::string& d = op.device;
  const bool device = op.kind == Operand::Kind::kDevice;
  const bool plain = op.IsPlainDevice();
  auto is = [&](std::initializer_list<const char*> names) {
    for (const char* name : names) {
      if (d == name) return true;
    }
    return false;
  };
  const bool digits = op.kind == Operand::Kind::kDigits;
  if (digits && op.index_register >= 0 && d != "M") return Fail(error, "only a digit read of M takes an index register");
  if (digits && d != "M" && role != Role::kMonitor && role != Role::kStore)
    return Fail(error, "the ladder reads digit groups of M relays only");
  switch (role) {
    case Role::kStore:
      if (digits) {
        if (d == "SM") return Fail(error, "special relays are set by the runner, not by name");
        break;
      }
      [[fallthrough]];
    case Role::kWrite:
      if (!device || !FindKind(d)->writable)
        return Fail(error, "only M, X, Y, B, S, L, Z, D and W devices can be written by name");
      if (op.index_register >= 0 && !is({"M", "D", "W"})) return Fail(error, "only M, D and W writes take an index register");
      break;
    case Role::kMonitor:
    case Role::kValue:
      if (device && is({"T", "SM", "Z", "R", "L", "S"}) && !plain)
        return Fail(error, d + " is read without a bit or index suffix");
      break;
    case Role::kMulDivValue:
      if (op.kind == Operand::Kind::kDevice && !is({"M", "D", "Z"}))
        return Fail(error, "multiply and divide read only K constants and M, D or Z devices");
      if (device && d == "Z" && !plain) return Fail(error, "Z is read without a suffix");
      break;
    case Role::kCell:
      if (!device || op.bit >= 0 || !is({"M", "B", "W", "X", "Y", "R", "L", "D", "Z", "S"}))
        return Fail(error, "the result goes to a whole M, B, W, X, Y, R, L, D, Z or S cell");
      if (op.index_register >= 0 && !is({"M", "D", "W"})) return Fail(error, "only M, D and W cells take an index register");
      break;
    case Role::kMulDivCell:
      if (!device || op.bit >= 0 || !is({"M", "D", "Z"}))
        return Fail(error, "the result of multiply and divide goes to an M, D or Z cell");
      if (op.index_register >= 0 && d == "Z") return Fail(error, "Z takes no index register");
      break;
    case Role::kIncrement:
      if (!device || op.bit >= 0 || !is({"D", "W", "Z"})) return Fail(error, "only D, W and Z registers count up");
      if (op.index_register >= 0 && d == "Z") return Fail(error, "Z takes no index register");
      break;
    case Role::kDecrement:
      if (!device || op.bit >= 0 || !is({"D", "W"})) return Fail(error, "only D and W registers count down");
      break;
    case Role::kTimer:
      if (!plain || d != "T") return Fail(error, "a timer coil is T and a decimal timer number");
      break;
    case Role::kPulseRelay:
      if (!plain || !is({"M", "L", "B", "S", "X", "Y"})) return Fail(error, "PLS drives a plain M, L, B, S, X or Y relay");
      break;
    case Role::kShiftStart:
      if (!plain || d != "M") return Fail(error, "the run of a bit shift starts at a plain M relay");
      break;
    case Role::kShiftLength:
      if (op.kind != Operand::Kind::kConstant || op.number < 1)
        return Fail(error, "the length of a bit shift is a constant K1 or more");
      break;
    case Role::kAny:
      break;
    case Role::kComment:
      if (!device || !FindKind(d)->has_comment)
        return Fail(error, "only SM, D, M, T, X, B, L, Y, R, W and S devices have comments");
      break;
  }
  if (out) *out = op;
  return true;
}

}  // namespace qsc
