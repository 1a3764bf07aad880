#include "snapshot_format.h"

#include <cstdio>
#include <limits>
#include <map>
#include <utility>

#include <nlohmann/json.hpp>

#include "cli/client_names.h"
#include "cli/text_encoding.h"

namespace quorsma::tool {
namespace {

constexpr std::size_t kMaxComment = 255;
constexpr std::string_view kTextMark = "# quorsma dump";

// Backslash, then control bytes, escaped; CP949 trail bytes are never a
// backslash or a control byte, so the bytes of a character stay whole.
std::string EscapeComment(std::string_view text) {
  std::string out;
  for (char c : text) {
    if (c == '\\')
      out += "\\\\";
    else
      out += EscapeControls(std::string_view(&c, 1));
  }
  return out;
}

int HexDigit(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

bool UnescapeComment(std::string_view text, std::string* out, std::string* error) {
  out->clear();
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (text[i] != '\\') {
      *out += text[i];
      continue;
    }
    const char next = i + 1 < text.size() ? text[i + 1] : '\0';
    if (next == '\\' || next == 't' || next == 'r' || next == 'n') {
      *out += next == '\\' ? '\\' : next == 't' ? '\t' : next == 'r' ? '\r' : '\n';
      ++i;
    } else if (next == 'x' && i + 3 < text.size() && HexDigit(text[i + 2]) >= 0 && HexDigit(text[i + 3]) >= 0) {
      *out += static_cast<char>(HexDigit(text[i + 2]) * 16 + HexDigit(text[i + 3]));
      i += 3;
    } else {
      *error = "the comment holds a '\\' that starts no escape (write \\\\ for a backslash)";
      return false;
    }
  }
  return true;
}

// The checks every entry passes, whichever form it came in.
class EntryChecker {
 public:
  EntryChecker(std::vector<SnapshotEntry>* entries, std::vector<std::string>* errors)
      : entries_(entries), errors_(errors) {}

  // `comment` is CP949 (already converted) when `has_comment`.
  void Add(int line, std::string_view operand, bool value_ok, int64_t value, bool has_comment, std::string comment) {
    Operand op;
    std::string reason;
    if (!ParseOperand(operand, &op, &reason)) return Error(line, "operand '" + std::string(operand) + "': " + reason);
    const std::string text = OperandText(op);
    if (!op.IsPlainDevice() || !IsSnapshotDevice(op.device))
      return Error(line, "operand '" + std::string(operand) + "': a plain device of X Y M L B S D W Z is needed");
    if (!value_ok || value < std::numeric_limits<int32_t>::min() || value > std::numeric_limits<int32_t>::max())
      return Error(line, text + ": the value is a 32-bit whole number, decimal or 0x hexadecimal");
    if (IsBitDevice(op.device) && value != 0 && value != 1) return Error(line, text + " is a bit: the value is 0 or 1");
    if (has_comment) {
      for (char c : comment) {
        if (static_cast<unsigned char>(c) < 0x20 || c == 0x7F)
          return Error(line, text + ": the comment holds a control character (" +
                                 EscapeControls(std::string_view(&c, 1)) + ")");
      }
      if (comment.size() > kMaxComment) return Error(line, text + ": a comment holds at most 255 bytes (CP949)");
      if (!HasCommentArea(op.device)) {
        if (!comment.empty()) return Error(line, text + ": Z registers have no comment");
        has_comment = false;
      }
    }
    const auto [first, inserted] = seen_.emplace(text, line);
    if (!inserted) return Error(line, text + " is given twice (first on line " + std::to_string(first->second) + ")");
    SnapshotEntry entry;
    entry.line = line;
    entry.device = op.device;
    entry.number = static_cast<int32_t>(op.number);
    entry.value = static_cast<int32_t>(value);
    entry.has_comment = has_comment;
    entry.comment = std::move(comment);
    entries_->push_back(std::move(entry));
  }

  // Only the first kKeptSnapshotErrors are kept, the rest counted: a large
  // file of bad lines must not take many times its size in memory.  The
  // file's bytes a reason quotes are escaped: a NUL would cut the message
  // short, an escape sequence would act on the terminal.  A reason quoting a
  // long run of junk is cut.
  void Error(int line, const std::string& reason) {
    constexpr std::size_t kLongest = 200;
    if (++count_ <= static_cast<int64_t>(kKeptSnapshotErrors)) {
      std::string shown = EscapeControls(reason);
      if (shown.size() > kLongest) shown = shown.substr(0, kLongest) + "...";
      errors_->push_back(std::to_string(line) + ": " + shown);
    }
  }
  int64_t count() const { return count_; }
  bool any_entry() const { return !entries_->empty(); }

 private:
  std::vector<SnapshotEntry>* entries_;
  std::vector<std::string>* errors_;
  int64_t count_ = 0;
  std::map<std::string, int> seen_;
};

// `utf8` when the file starts with a UTF-8 byte order mark, as some editors
// save text: the comments are then UTF-8 whatever the header says.
void ParseText(std::string_view bytes, bool byte_order_mark, EntryChecker& checker) {
  bool utf8 = byte_order_mark;
  int line_number = 0;
  std::size_t start = 0;
  while (start < bytes.size()) {
    std::size_t end = bytes.find('\n', start);
    if (end == std::string_view::npos) end = bytes.size();
    std::string_view line = bytes.substr(start, end - start);
    start = end + 1;
    ++line_number;
    if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
    if (line_number == 1 && line.substr(0, kTextMark.size()) == kTextMark) {
      utf8 = line.find("encoding UTF-8") != std::string_view::npos;
      if (byte_order_mark && !utf8) {
        checker.Error(1, "the file starts with a UTF-8 byte order mark, but its first line names another encoding");
        return;
      }
    }
    const std::size_t first = line.find_first_not_of(" \t");
    if (first == std::string_view::npos || line[first] == '#') continue;
    line.remove_prefix(first);
    const std::size_t operand_end = line.find_first_of(" \t");
    const std::string_view operand = line.substr(0, operand_end);
    if (operand_end == std::string_view::npos) {
      checker.Error(line_number, std::string(operand) + ": no value (write OPERAND<TAB>VALUE)");
      continue;
    }
    std::string_view rest = line.substr(operand_end);
    rest.remove_prefix(std::min(rest.size(), rest.find_first_not_of(" \t")));
    const std::size_t value_end = rest.find_first_of(" \t");
    const std::string value_text(rest.substr(0, value_end));
    bool has_comment = false;
    std::string_view comment_field;
    if (value_end != std::string_view::npos) {
      std::string_view after = rest.substr(value_end);
      if (after[0] == '\t') {
        has_comment = true;
        comment_field = after.substr(1);
      } else if (after.find_first_not_of(' ') != std::string_view::npos) {
        checker.Error(line_number, std::string(operand) + ": a tab goes between the value and the comment");
        continue;
      }
    }
    int32_t value = 0;
    const bool value_ok = ParseValueText(value_text, &value);
    std::string comment, reason;
    if (has_comment) {
      std::string raw;
      if (!UnescapeComment(comment_field, &raw, &reason)) {
        checker.Error(line_number, std::string(operand) + ": " + reason);
        continue;
      }
      if (!utf8) {
        comment = std::move(raw);
      } else if (!Utf8ToCp949(raw, &comment)) {
        checker.Error(line_number, std::string(operand) + ": the comment is not UTF-8, or CP949 cannot store it");
        continue;
      }
    }
    checker.Add(line_number, operand, value_ok, value, has_comment, std::move(comment));
  }
}

int LineAt(std::string_view bytes, std::size_t offset) {
  int line = 1;
  for (std::size_t i = 0; i < offset && i < bytes.size(); ++i) line += bytes[i] == '\n';
  return line;
}

// Where each object whose container is an array starts, in order: the
// device objects of either JSON form.
std::vector<std::size_t> ElementOffsets(std::string_view bytes) {
  std::vector<std::size_t> offsets;
  std::string containers;
  bool in_string = false;
  for (std::size_t i = 0; i < bytes.size(); ++i) {
    const char c = bytes[i];
    if (in_string) {
      if (c == '\\') ++i;
      else if (c == '"') in_string = false;
    } else if (c == '"') {
      in_string = true;
    } else if (c == '{' || c == '[') {
      if (c == '{' && !containers.empty() && containers.back() == '[') offsets.push_back(i);
      containers += c;
    } else if ((c == '}' || c == ']') && !containers.empty()) {
      containers.pop_back();
    }
  }
  return offsets;
}

void ParseJson(std::string_view bytes, EntryChecker& checker) {
  nlohmann::json document;
  try {
    document = nlohmann::json::parse(bytes.begin(), bytes.end());
  } catch (const nlohmann::json::parse_error& e) {
    // The parser's own text after its position ("syntax error while ...").
    std::string what = e.what();
    const std::size_t column = what.find(", column ");
    const std::size_t reason = column == std::string::npos ? std::string::npos : what.find(": ", column);
    if (reason != std::string::npos) what.erase(0, reason + 2);
    return checker.Error(LineAt(bytes, e.byte > 0 ? e.byte - 1 : 0), "not JSON: " + what);
  }
  const nlohmann::json* devices = &document;
  if (document.is_object()) {
    const auto found = document.find("devices");
    if (found == document.end() || !found->is_array())
      return checker.Error(1, "a JSON snapshot is an array of devices, or an object with a \"devices\" array");
    devices = &*found;
  } else if (!document.is_array()) {
    return checker.Error(1, "a JSON snapshot is an array of devices, or an object with a \"devices\" array");
  }
  const std::vector<std::size_t> offsets = ElementOffsets(bytes);
  for (std::size_t i = 0; i < devices->size(); ++i) {
    const nlohmann::json& item = (*devices)[i];
    const int line = i < offsets.size() ? LineAt(bytes, offsets[i]) : 1;
    if (!item.is_object() || !item.contains("operand") || !item["operand"].is_string()) {
      checker.Error(line, "device " + std::to_string(i + 1) + ": an object with \"operand\" and \"value\" is needed");
      continue;
    }
    const std::string operand = item["operand"].get<std::string>();
    const auto value = item.find("value");
    const bool value_ok = value != item.end() && (value->is_number_integer() || value->is_number_unsigned()) &&
                          !(value->is_number_unsigned() && value->get<uint64_t>() > INT32_MAX);
    const int64_t number = value_ok ? value->get<int64_t>() : 0;
    // A text such as "0xFFFB" (get --format hex) names no width or sign.
    if (value != item.end() && value->is_string()) {
      checker.Error(line, operand + ": the value is a JSON number, not a text");
      continue;
    }
    const auto comment_item = item.find("comment");
    std::string comment;
    const bool has_comment = comment_item != item.end() && !comment_item->is_null();
    if (has_comment && (!comment_item->is_string() || !Utf8ToCp949(comment_item->get<std::string>(), &comment))) {
      checker.Error(line, operand + ": the comment is a text that CP949 can store");
      continue;
    }
    checker.Add(line, operand, value_ok, number, has_comment, std::move(comment));
  }
}

}  // namespace

bool IsSnapshotDevice(std::string_view device) {
  for (const char* kind : {"X", "Y", "M", "L", "B", "S", "D", "W", "Z"}) {
    if (device == kind) return true;
  }
  return false;
}

bool HasCommentArea(std::string_view device) { return IsSnapshotDevice(device) && device != "Z"; }

std::string SnapshotTextHeader(bool utf8, const std::string& section, const std::string& time) {
  // A section name may hold any byte but '/': escaped, it stays on its line.
  return std::string(kTextMark) + ", encoding " + (utf8 ? "UTF-8" : "CP949") + "\n# section " +
         EscapeControls(section) + ", " + time + "\n";
}

std::string SnapshotTextLine(const std::string& operand, int32_t value, bool with_comment,
                             const std::string& comment) {
  std::string line = operand + "\t" + std::to_string(value);
  if (with_comment) line += "\t" + EscapeComment(comment);
  return line + "\n";
}

std::string SnapshotJsonOpen(const std::string& section) {
  return "{\"format\":\"quorsma dump\",\"section\":" + JsonString(section) + ",\"devices\":[";
}

std::string SnapshotJsonEntry(const std::string& operand, int32_t value, bool with_comment,
                              const std::string& comment_cp949) {
  std::string out = "{\"operand\":" + JsonString(operand) + ",\"value\":" + std::to_string(value);
  if (with_comment) out += ",\"comment\":" + JsonString(Cp949ToUtf8(comment_cp949));
  return out + "}";
}

std::string SnapshotJsonClose() { return "\n]}\n"; }

bool ParseSnapshot(std::string_view bytes, std::vector<SnapshotEntry>* entries, std::vector<std::string>* errors,
                   int64_t* error_count) {
  entries->clear();
  EntryChecker checker(entries, errors);
  constexpr std::string_view kByteOrderMark = "\xEF\xBB\xBF";
  const bool byte_order_mark = bytes.substr(0, kByteOrderMark.size()) == kByteOrderMark;
  if (byte_order_mark) bytes.remove_prefix(kByteOrderMark.size());
  if (bytes.substr(0, 2) == "\xFF\xFE" || bytes.substr(0, 2) == "\xFE\xFF") {
    checker.Error(1, "the file is UTF-16 text: save it as UTF-8 or CP949");
    if (error_count != nullptr) *error_count = checker.count();
    return false;
  }
  const std::size_t first = bytes.find_first_not_of(" \t\r\n");
  if (first != std::string_view::npos && (bytes[first] == '{' || bytes[first] == '['))
    ParseJson(bytes, checker);
  else
    ParseText(bytes, byte_order_mark, checker);
  // An empty file is most often a dump that failed on the way (an empty
  // pipe); no dump holds no device.
  if (checker.count() == 0 && !checker.any_entry())
    checker.Error(1, "no devices: a dump holds at least one device (OPERAND<TAB>VALUE)");
  if (error_count != nullptr) *error_count = checker.count();
  return checker.count() == 0;
}

}  // namespace quorsma::tool
