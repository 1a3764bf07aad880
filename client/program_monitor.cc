#include "program_monitor.h"

#include <charconv>
#include <cstring>

namespace qsc {
namespace {

constexpr std::string_view kProgramHeader = "quorsma-program 1";
constexpr std::string_view kScanHeader = "quorsma-scan 1";

// The next line of `text` (without its newline), moving `text` past it.
std::string_view NextLine(std::string_view* text) {
  const std::size_t end = text->find('\n');
  const std::string_view line = text->substr(0, end);
  text->remove_prefix(end == std::string_view::npos ? text->size() : end + 1);
  return line;
}

bool Number(std::string_view text, int64_t* value) {
  const auto [end, code] = std::from_chars(text.data(), text.data() + text.size(), *value);
  return code == std::errc() && end == text.data() + text.size() && !text.empty();
}

// "key value": the value of `key`, or false.
bool KeyNumber(std::string_view line, std::string_view key, int64_t* value) {
  if (line.size() <= key.size() + 1 || line.substr(0, key.size()) != key || line[key.size()] != ' ') return false;
  return Number(line.substr(key.size() + 1), value);
}

// A field of an instruction: no tab, newline or NUL, and it fits its array
// with its terminator.
bool FieldFits(std::string_view field, std::size_t size) {
  return field.size() < size && field.find_first_of(std::string_view("\t\n\r\0", 4)) == std::string_view::npos;
}

}  // namespace

std::string FormatProgram(const ProgramListing& program) {
  std::string text(kProgramHeader);
  text += "\nrun " + std::to_string(program.run_id) + "\nname " + program.name + "\ncount " +
          std::to_string(program.instructions.size()) + "\n";
  for (const qsc_instruction& in : program.instructions) {
    text += std::to_string(in.line);
    text += '\t';
    text += in.name;
    for (const auto& operand : in.operands) {
      text += '\t';
      text += operand;
    }
    text += '\n';
  }
  return text;
}

bool ParseProgram(std::string_view text, ProgramListing* program, std::string* error) {
  ProgramListing got;
  int64_t count = 0;
  if (NextLine(&text) != kProgramHeader) return *error = "not a program file", false;
  if (!KeyNumber(NextLine(&text), "run", &got.run_id)) return *error = "no run line", false;
  const std::string_view name = NextLine(&text);
  if (name.substr(0, 5) != "name ") return *error = "no name line", false;
  got.name = std::string(name.substr(5));
  if (!KeyNumber(NextLine(&text), "count", &count) || count < 0 || count > QSC_MAX_INSTRUCTIONS)
    return *error = "no count line", false;
  got.instructions.reserve(static_cast<std::size_t>(count));
  for (int64_t i = 0; i < count; ++i) {
    if (text.empty()) return *error = "the program is cut short", false;
    std::string_view line = NextLine(&text);
    std::string_view fields[5];
    for (int f = 0; f < 5; ++f) {
      const std::size_t tab = f < 4 ? line.find('\t') : line.size();
      if (tab == std::string_view::npos) return *error = "instruction " + std::to_string(i + 1) + " is damaged", false;
      fields[f] = line.substr(0, tab);
      line.remove_prefix(tab < line.size() ? tab + 1 : line.size());
    }
    qsc_instruction in{};
    int64_t number = 0;
    if (!Number(fields[0], &number) || number < 0 || number > INT32_MAX || !FieldFits(fields[1], sizeof in.name) ||
        fields[1].empty() || !FieldFits(fields[2], sizeof in.operands[0]) ||
        !FieldFits(fields[3], sizeof in.operands[1]) || !FieldFits(fields[4], sizeof in.operands[2]))
      return *error = "instruction " + std::to_string(i + 1) + " is damaged", false;
    in.line = static_cast<int32_t>(number);
    fields[1].copy(in.name, fields[1].size());
    for (int k = 0; k < 3; ++k) fields[2 + k].copy(in.operands[k], fields[2 + k].size());
    got.instructions.push_back(in);
  }
  if (!text.empty()) return *error = "more instructions than counted", false;
  *program = std::move(got);
  return true;
}

std::string FormatScan(const qsc_scan_state& s, const uint8_t* results) {
  std::string text(kScanHeader);
  const std::pair<const char*, int64_t> fields[] = {
      {"run", s.run_id},        {"scan", s.scan},
      {"updated_unix_ms", s.updated_unix_ms},
      {"period_ns", s.period_ns}, {"scan_min_ns", s.scan_min_ns},
      {"scan_median_ns", s.scan_median_ns}, {"scan_max_ns", s.scan_max_ns},
      {"overruns", s.overruns},   {"count", static_cast<int64_t>(s.count)},
  };
  text += '\n';
  for (const auto& [key, value] : fields) text += std::string(key) + " " + std::to_string(value) + "\n";
  text += "results ";
  for (std::size_t i = 0; i < s.count; ++i) text += results[i] ? '1' : '0';
  text += '\n';
  return text;
}

bool ParseScan(std::string_view text, qsc_scan_state* state, std::vector<uint8_t>* results, std::string* error) {
  qsc_scan_state s{};
  int64_t count = 0;
  if (NextLine(&text) != kScanHeader) return *error = "not a scan file", false;
  struct {
    const char* key;
    int64_t* value;
  } fields[] = {{"run", &s.run_id},          {"scan", &s.scan},
                {"updated_unix_ms", &s.updated_unix_ms}, {"period_ns", &s.period_ns},
                {"scan_min_ns", &s.scan_min_ns}, {"scan_median_ns", &s.scan_median_ns},
                {"scan_max_ns", &s.scan_max_ns}, {"overruns", &s.overruns},
                {"count", &count}};
  for (const auto& field : fields) {
    if (!KeyNumber(NextLine(&text), field.key, field.value)) return *error = std::string("no ") + field.key, false;
  }
  if (count < 0 || count > QSC_MAX_INSTRUCTIONS) return *error = "a count out of range", false;
  std::string_view line = NextLine(&text);
  if (line.substr(0, 8) != "results " || line.size() != 8 + static_cast<std::size_t>(count) || !text.empty())
    return *error = "the results do not match the count", false;
  line.remove_prefix(8);
  results->assign(line.size(), 0);
  for (std::size_t i = 0; i < line.size(); ++i) {
    if (line[i] != '0' && line[i] != '1') return *error = "a result other than 0 or 1", false;
    (*results)[i] = line[i] == '1';
  }
  s.count = static_cast<std::size_t>(count);
  *state = s;
  return true;
}

}  // namespace qsc
