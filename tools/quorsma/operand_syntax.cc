#include "operand_syntax.h"

#include <cctype>
#include <cstdio>

#include "quorsma/quorsma.h"

namespace quorsma::tool {
namespace {

constexpr int32_t kMaxIndexRegister = 20;  // the library warns above this

bool IsDigit(char c) { return c >= '0' && c <= '9'; }
bool IsHexDigit(char c) { return IsDigit(c) || (c >= 'A' && c <= 'F'); }

bool IsHexDevice(std::string_view device) {
  return device == "X" || device == "Y" || device == "B" || device == "W";
}

// Reads digits of the radix from `text` at `*pos`; false when none or when the
// value grows past `limit`.
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

}  // namespace

int32_t AreaCount(std::string_view device) {
  if (device == "M" || device == "L" || device == "B" || device == "D" || device == "W") return QSMA_AREA_LARGE;
  if (device == "X" || device == "Y" || device == "S" || device == "SM" || device == "R" || device == "Z" ||
      device == "T")
    return QSMA_AREA_SMALL;
  return 0;
}

bool ParseOperand(std::string_view text, Operand* out, std::string* error) {
  Operand op;
  if (text.empty()) return Fail(error, "empty operand");
  for (char c : text) {
    if (static_cast<unsigned char>(c) < 0x21 || static_cast<unsigned char>(c) > 0x7E)
      return Fail(error, "operands are plain ASCII without blanks");
    if (std::islower(static_cast<unsigned char>(c))) return Fail(error, "device letters are upper case");
  }
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
    if (text[pos] != 'M' || value < 1 || value > 8)
      return Fail(error, "a digit read is K1..K8 followed by an M relay, as in K4M100");
    op.kind = Operand::Kind::kDigits;
    op.digits = static_cast<int32_t>(value);
    op.device = "M";
    ++pos;
    if (!ReadNumber(text, &pos, false, QSMA_AREA_LARGE - 1, &op.number))
      return Fail(error, "relay number missing or above M131070");
    if (op.number + 4 * op.digits > QSMA_AREA_LARGE) return Fail(error, "the relays run past M131070");
    if (!ReadIndexSuffix(text, &pos, &op.index_register, error)) return false;
    if (pos != text.size()) return Fail(error, "unexpected text after the relay number");
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
    if (op.device != "D" && op.device != "W") return Fail(error, "only D and W registers have bits");
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
    if (op.device != "M" && op.device != "B" && op.device != "X" && op.device != "Y" && op.device != "D" &&
        op.device != "W")
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
  switch (role) {
    case Role::kValue:
      if (device && is({"T", "SM", "Z", "R", "L", "S"}) && !plain)
        return Fail(error, d + " is read without a bit or index suffix");
      break;
    case Role::kMulDivValue:
      if (op.kind == Operand::Kind::kDevice && !is({"M", "D", "Z"}))
        return Fail(error, "multiply and divide read only K constants and M, D or Z devices");
      if (device && d == "Z" && !plain) return Fail(error, "Z is read without a suffix");
      break;
    case Role::kWrite:
      if (!device || !is({"M", "X", "Y", "B", "S", "L", "Z", "D", "W"}))
        return Fail(error, "only M, X, Y, B, S, L, Z, D and W devices can be written by name");
      if (op.index_register >= 0 && !is({"M", "D", "W"})) return Fail(error, "only M, D and W writes take an index register");
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
    case Role::kComment:
      if (!device || !is({"SM", "D", "M", "T", "X", "B", "L", "Y", "R", "W", "S"}))
        return Fail(error, "only SM, D, M, T, X, B, L, Y, R, W and S devices have comments");
      break;
  }
  if (out) *out = op;
  return true;
}

}  // namespace quorsma::tool
