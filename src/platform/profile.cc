#include "platform/profile.h"

#include <cstring>

#include "core/decimal.h"

namespace quorsma::platform {
namespace {

constexpr char kLineEnd[] = "\r\n";

std::string_view TrimLeft(std::string_view s) {
  std::size_t i = 0;
  while (i < s.size() && IsLineBlank(s[i])) ++i;
  return s.substr(i);
}

std::string_view TrimRight(std::string_view s) {
  std::size_t n = s.size();
  while (n > 0 && IsLineBlank(s[n - 1])) --n;
  return s.substr(0, n);
}

std::string_view Trim(std::string_view s) { return TrimRight(TrimLeft(s)); }

// A name argument of the interface, blanks around it dropped.
std::string_view Argument(const char* text) { return Trim(std::string_view(text)); }

// One pair of matching outer quotes removed.
std::string_view Unquote(std::string_view s) {
  if (s.size() >= 2 && (s.front() == '"' || s.front() == '\'') && s.back() == s.front())
    return s.substr(1, s.size() - 2);
  return s;
}

char Lower(char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c; }

// One line of the content: [begin, end) is its text, `next` the first byte of
// the following line (end plus the line end, if any).
struct Line {
  std::size_t begin = 0;
  std::size_t end = 0;
  std::size_t next = 0;
  bool has_line_end() const { return next > end; }
};

// Cuts the content into lines at CR LF, LF or CR.
class LineReader {
 public:
  explicit LineReader(std::string_view text) : text_(text) {}

  bool Next(Line* line) {
    if (pos_ >= text_.size()) return false;
    const char* base = text_.data();
    const char* start = base + pos_;
    std::size_t rest = text_.size() - pos_;
    const char* lf = static_cast<const char*>(std::memchr(start, '\n', rest));
    std::size_t segment = lf ? static_cast<std::size_t>(lf - start) : rest;
    const char* cr = static_cast<const char*>(std::memchr(start, '\r', segment));
    line->begin = pos_;
    if (cr) {
      line->end = static_cast<std::size_t>(cr - base);
      // CR LF is one line end; a CR alone is one too.
      line->next = (cr + 1 == lf) ? line->end + 2 : line->end + 1;
    } else if (lf) {
      line->end = static_cast<std::size_t>(lf - base);
      line->next = line->end + 1;
    } else {
      line->end = text_.size();
      line->next = text_.size();
    }
    pos_ = line->next;
    return true;
  }

  std::string_view Text(const Line& line) const {
    return text_.substr(line.begin, line.end - line.begin);
  }

 private:
  std::string_view text_;
  std::size_t pos_ = 0;
};

// The name of a section line (its text starting at '['); the name runs to the
// first ']' or to the end of the line.
std::string_view SectionName(std::string_view from_bracket) {
  std::string_view rest = from_bracket.substr(1);
  std::size_t close = rest.find(']');
  return Trim(rest.substr(0, close));
}

// A key line split into its key and value; false for lines that are not keys
// (blank, comment, section or without '=').  `text` has its leading blanks
// already dropped.
bool SplitKey(std::string_view text, std::string_view* key, std::string_view* value) {
  if (text.empty() || text.front() == ';' || text.front() == '[') return false;
  std::size_t eq = text.find('=');
  if (eq == std::string_view::npos) return false;
  *key = TrimRight(text.substr(0, eq));
  *value = Unquote(Trim(text.substr(eq + 1)));
  return true;
}

// Finds the first key named `key` in the first section named `section`.
bool FindValue(std::string_view content, std::string_view section, std::string_view key,
               std::string_view* value) {
  LineReader reader(content);
  Line line;
  bool in_section = false;
  while (reader.Next(&line)) {
    std::string_view text = TrimLeft(reader.Text(line));
    if (!text.empty() && text.front() == '[') {
      if (in_section) return false;  // only the first section of the name counts
      in_section = ProfileNameEquals(SectionName(text), section);
      continue;
    }
    if (!in_section) continue;
    std::string_view name;
    if (SplitKey(text, &name, value) && ProfileNameEquals(name, key)) return true;
  }
  return false;
}

std::size_t CopyOut(std::string_view text, char* out, std::size_t size) {
  std::size_t n = text.size() < size - 1 ? text.size() : size - 1;
  if (n > 0) std::memcpy(out, text.data(), n);
  out[n] = '\0';
  return n;
}

}  // namespace

bool ProfileNameEquals(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i)
    if (Lower(a[i]) != Lower(b[i])) return false;
  return true;
}

std::size_t ProfileRead(const std::string* content, const char* section, const char* key,
                        const char* fallback, char* out, std::size_t size) {
  if (size == 0 || out == nullptr) return 0;
  std::string_view value;
  if (content && section && key &&
      FindValue(*content, Argument(section), Argument(key), &value)) {
    return CopyOut(value, out, size);
  }
  return CopyOut(TrimRight(fallback ? std::string_view(fallback) : std::string_view()), out, size);
}

void ProfileWrite(std::string_view content, const char* section, const char* key, const char* value,
                  std::string* out) {
  out->clear();
  if (section == nullptr || key == nullptr) {
    out->append(content);
    return;
  }
  std::string_view wanted_section = Argument(section);
  std::string_view wanted_key = Argument(key);
  std::string_view new_value = value ? std::string_view(value) : std::string_view();
  out->reserve(content.size() + wanted_section.size() + wanted_key.size() + new_value.size() + 10);

  LineReader reader(content);
  Line line;
  bool in_section = false;
  bool section_found = false;
  Line last_filled;  // last non-blank line of the section (its header at first)
  while (reader.Next(&line)) {
    std::string_view text = TrimLeft(reader.Text(line));
    if (!text.empty() && text.front() == '[') {
      if (in_section) break;  // end of the first section of the name
      if (!section_found && ProfileNameEquals(SectionName(text), wanted_section)) {
        in_section = section_found = true;
        last_filled = line;
      }
      continue;
    }
    if (!in_section || text.empty()) continue;
    last_filled = line;
    std::string_view name, old_value;
    if (SplitKey(text, &name, &old_value) && ProfileNameEquals(name, wanted_key)) {
      // Replace in place: the key keeps its spelling, the line its line end.
      out->append(content.substr(0, line.begin));
      out->append(name);
      out->push_back('=');
      out->append(new_value);
      out->append(content.substr(line.end));
      return;
    }
  }

  if (section_found) {
    // A new key goes after the last non-blank line of its section.
    std::size_t at = last_filled.next;
    out->append(content.substr(0, at));
    if (!last_filled.has_line_end()) out->append(kLineEnd);
    out->append(wanted_key);
    out->push_back('=');
    out->append(new_value);
    out->append(kLineEnd);
    out->append(content.substr(at));
    return;
  }
  // A new section goes at the end of the file.
  out->append(content);
  if (!out->empty() && out->back() != '\n' && out->back() != '\r') out->append(kLineEnd);
  out->push_back('[');
  out->append(wanted_section);
  out->push_back(']');
  out->append(kLineEnd);
  out->append(wanted_key);
  out->push_back('=');
  out->append(new_value);
  out->append(kLineEnd);
}

std::string ProfileWrite(const std::string& content, const char* section, const char* key,
                         const char* value) {
  std::string out;
  ProfileWrite(std::string_view(content), section, key, value, &out);
  return out;
}

std::vector<ProfileEntry> ProfileSectionEntries(std::string_view content, const char* section) {
  std::vector<ProfileEntry> entries;
  if (section == nullptr) return entries;
  std::string_view wanted = Argument(section);
  LineReader reader(content);
  Line line;
  bool in_section = false;
  while (reader.Next(&line)) {
    std::string_view text = TrimLeft(reader.Text(line));
    if (!text.empty() && text.front() == '[') {
      if (in_section) break;
      in_section = ProfileNameEquals(SectionName(text), wanted);
      continue;
    }
    if (!in_section) continue;
    ProfileEntry entry;
    if (SplitKey(text, &entry.key, &entry.value)) entries.push_back(entry);
  }
  return entries;
}

}  // namespace quorsma::platform
