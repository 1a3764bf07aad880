#include "device_values.h"

#include <cstdio>
#include <cstring>

#include "device_kinds.h"
#include "text_encoding.h"

namespace qsc {
namespace {

// The cells of a device's area and their count; null for K and unknown names.
const int32_t* Area(const MH_SHARED_STRUCTURE* image, std::string_view device, int32_t* count) {
  const int32_t* cells = KindCells(const_cast<MH_SHARED_STRUCTURE*>(image), FindKind(device));
  *count = cells != nullptr ? AreaCount(device) : 0;
  return cells;
}

bool TimerContact(const MH_SHARED_STRUCTURE* image, int64_t t) {
  return image->Tcoil[t] > 0 && image->Tcur[t] >= image->Tset[t];
}

// The width a register value needs: 16 bits when it fits, else 32.
int32_t RegisterWidth(int32_t value) { return value >= -32768 && value <= 65535 ? 16 : 32; }

std::string Digits(uint32_t value, int32_t width, int32_t bits_per_digit) {
  const int32_t n = (width + bits_per_digit - 1) / bits_per_digit;
  std::string out(static_cast<std::size_t>(n), '0');
  for (int32_t i = n - 1; i >= 0; --i) {
    out[static_cast<std::size_t>(i)] = "0123456789ABCDEF"[value & ((1u << bits_per_digit) - 1)];
    value >>= bits_per_digit;
  }
  return out;
}

std::string CsvField(const std::string& text) {
  if (text.find_first_of(",\"") == std::string::npos) return text;
  std::string out = "\"";
  for (char c : text) {
    if (c == '"') out += '"';
    out += c;
  }
  return out + "\"";
}

}  // namespace

bool ParseValueFormat(std::string_view text, ValueFormat* out) {
  if (text == "dec") *out = ValueFormat::kDec;
  else if (text == "hex") *out = ValueFormat::kHex;
  else if (text == "bin") *out = ValueFormat::kBin;
  else if (text == "u16") *out = ValueFormat::kU16;
  else return false;
  return true;
}

char* CommentEntry(MH_SHARED_STRUCTURE* image, std::string_view device, int64_t number) {
  char(*area)[QSMA_COMMENT_BYTES] = nullptr;
  if (device == "SM") area = image->CommentSM;
  else if (device == "D") area = image->CommentD;
  else if (device == "M") area = image->CommentM;
  else if (device == "T") area = image->CommentT;
  else if (device == "X") area = image->CommentX;
  else if (device == "B") area = image->CommentB;
  else if (device == "L") area = image->CommentL;
  else if (device == "Y") area = image->CommentY;
  else if (device == "R") area = image->CommentR;
  else if (device == "W") area = image->CommentW;
  else if (device == "S") area = image->CommentS;
  if (area == nullptr || number < 0 || number >= AreaCount(device)) return nullptr;
  return area[number];
}

std::string CommentOf(const MH_SHARED_STRUCTURE* image, std::string_view device, int64_t number) {
  // Only read through the entry.
  const char* entry = CommentEntry(const_cast<MH_SHARED_STRUCTURE*>(image), device, number);
  if (entry == nullptr) return {};
  const void* end = std::memchr(entry, '\0', QSMA_COMMENT_BYTES);
  const std::size_t n = end ? static_cast<std::size_t>(static_cast<const char*>(end) - entry) : QSMA_COMMENT_BYTES - 1;
  return std::string(entry, n);
}

DeviceValue ReadDeviceValue(MH_SHARED_STRUCTURE* image, const Operand& op, ReadPath path) {
  DeviceValue v;
  v.operand = OperandText(op);
  if (op.kind == Operand::Kind::kConstant) {
    v.value = static_cast<int32_t>(op.number);
    v.width = RegisterWidth(v.value);
    return v;
  }
  int32_t count = 0;
  const int32_t* cells = Area(image, op.device, &count);
  int64_t n = op.number;
  if (op.index_register >= 0) n += image->Z[op.index_register];
  const int64_t span = op.kind == Operand::Kind::kDigits ? 4 * op.digits : 1;
  if (cells == nullptr || n < 0 || n + span > count) {
    v.ok = false;
    return v;
  }
  v.comment = CommentOf(image, op.device, n);
  if (op.kind == Operand::Kind::kDigits) {
    uint32_t bits = 0;
    for (int64_t i = 0; i < span; ++i) {
      if (op.device == "T" ? TimerContact(image, n + i) : cells[n + i] != 0) bits |= 1u << i;
    }
    v.value = static_cast<int32_t>(bits);
    v.width = static_cast<int32_t>(span);
    return v;
  }
  if (path == ReadPath::kLibrary) {
    v.value = GetSma(v.operand.c_str());
  } else if (op.device == "T") {
    v.value = TimerContact(image, n) ? 1 : 0;
  } else if (op.bit >= 0) {
    v.value = (cells[n] >> op.bit) & 1;
  } else {
    v.value = cells[n];
  }
  if (op.device == "T") {
    v.timer = true;
    v.timer_current = image->Tcur[n];
    v.timer_set = image->Tset[n];
    v.timer_coil = image->Tcoil[n] > 0;
  }
  v.width = IsBitDevice(op.device) || op.bit >= 0 ? 1 : RegisterWidth(v.value);
  return v;
}

DeviceValue ReadDeviceValue(MH_SHARED_STRUCTURE* image, const std::string& text, ReadPath path) {
  Operand op;
  std::string reason;
  if (!CheckOperand(text, Role::kMonitor, &op, &reason)) {
    DeviceValue v;
    v.operand = text;
    v.ok = false;
    return v;
  }
  return ReadDeviceValue(image, op, path);
}

bool ParseValueText(const std::string& text, int32_t* value) {
  int64_t v = 0;
  if (!ParseWideValueText(text, &v)) return false;
  if (v > INT32_MAX && text.find_first_of("xX") != std::string::npos && text[0] != '-')
    v -= 0x100000000LL;  // 0xFFFFFFFF is -1
  if (v < INT32_MIN || v > INT32_MAX) return false;
  *value = static_cast<int32_t>(v);
  return true;
}

bool ParseWideValueText(const std::string& text, int64_t* value) {
  if (text.empty()) return false;
  std::size_t pos = 0;
  bool negative = false;
  if (text[pos] == '-' || text[pos] == '+') negative = text[pos++] == '-';
  int base = 10;
  if (text.size() > pos + 2 && text[pos] == '0' && (text[pos + 1] == 'x' || text[pos + 1] == 'X')) {
    base = 16;
    pos += 2;
  }
  if (pos >= text.size()) return false;
  int64_t v = 0;
  for (; pos < text.size(); ++pos) {
    char c = text[pos];
    int digit = c >= '0' && c <= '9' ? c - '0'
                : base == 16 && c >= 'a' && c <= 'f' ? c - 'a' + 10
                : base == 16 && c >= 'A' && c <= 'F' ? c - 'A' + 10
                                                     : -1;
    if (digit < 0 || digit >= base) return false;
    v = v * base + digit;
    if (v > 0xFFFFFFFFLL) return false;
  }
  *value = negative ? -v : v;
  return true;
}

std::string FormatValue(const DeviceValue& v, ValueFormat format) {
  if (!v.ok) return "?";
  const uint32_t bits = static_cast<uint32_t>(v.value);
  const uint32_t masked = v.width >= 32 ? bits : bits & ((1u << v.width) - 1);
  switch (format) {
    case ValueFormat::kDec:
      return std::to_string(v.value);
    case ValueFormat::kHex:
      return "0x" + Digits(masked, v.width, 4);
    case ValueFormat::kBin:
      return "0b" + Digits(masked, v.width, 1);
    case ValueFormat::kU16:
      return std::to_string(bits & 0xFFFFu);
  }
  return {};
}

std::string EscapeControls(std::string_view text) {
  std::string out;
  out.reserve(text.size());
  for (char c : text) {
    const auto u = static_cast<unsigned char>(c);
    if (u >= 0x20 && u != 0x7F) {
      out += c;
    } else if (c == '\r') {
      out += "\\r";
    } else if (c == '\n') {
      out += "\\n";
    } else if (c == '\t') {
      out += "\\t";
    } else {
      char hex[8];
      std::snprintf(hex, sizeof hex, "\\x%02X", u);
      out += hex;
    }
  }
  return out;
}

std::string JsonString(std::string_view utf8) {
  std::string out = "\"";
  for (char c : utf8) {
    const auto u = static_cast<unsigned char>(c);
    if (c == '"' || c == '\\') {
      out += '\\';
      out += c;
    } else if (u < 0x20 || u == 0x7F) {
      char hex[8];
      std::snprintf(hex, sizeof hex, "\\u%04X", u);
      out += hex;
    } else {
      out += c;
    }
  }
  return out + "\"";
}

std::string ToJson(const DeviceValue& v, ValueFormat format) {
  std::string out = "{\"operand\":" + JsonString(v.operand);
  if (!v.ok) {
    out += ",\"error\":\"the device lies outside its area\"";
  } else {
    const std::string value = FormatValue(v, format);
    const bool text = format == ValueFormat::kHex || format == ValueFormat::kBin;
    out += ",\"value\":" + (text ? JsonString(value) : value);
  }
  out += ",\"comment\":" + JsonString(Cp949ToUtf8(v.comment));
  out += std::string(",\"forced\":") + (v.forced ? "true" : "false");
  if (v.timer) {
    out += ",\"timer\":{\"current\":" + std::to_string(v.timer_current) + ",\"set\":" + std::to_string(v.timer_set) +
           ",\"coil\":" + (v.timer_coil ? "true" : "false") + "}";
  }
  return out + "}";
}

std::string ToJsonArray(const std::vector<DeviceValue>& values, ValueFormat format) {
  std::string out = "[";
  for (std::size_t i = 0; i < values.size(); ++i) out += (i ? ",\n " : "\n ") + ToJson(values[i], format);
  return out + "\n]\n";
}

std::string CsvHeader() { return "operand,value,comment,forced,timer_current,timer_set,timer_coil"; }

std::string ToCsv(const DeviceValue& v, ValueFormat format) {
  std::string out = CsvField(v.operand) + "," + (v.ok ? FormatValue(v, format) : std::string()) + "," +
                    CsvField(EscapeControls(Cp949ToUtf8(v.comment))) + "," + (v.forced ? "1" : "0") + ",";
  if (v.timer)
    out += std::to_string(v.timer_current) + "," + std::to_string(v.timer_set) + "," + (v.timer_coil ? "1" : "0");
  else
    out += ",,";
  return out;
}

}  // namespace qsc
