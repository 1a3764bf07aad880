#include "program_parser.h"

namespace quorsma::tool {

std::vector<ProgramLine> ParseProgramText(std::string_view text) {
  if (text.substr(0, 3) == "\xEF\xBB\xBF") text.remove_prefix(3);  // a UTF-8 byte-order mark
  std::vector<ProgramLine> lines;
  int number = 0;
  while (!text.empty()) {
    std::size_t end = text.find('\n');
    std::string_view line = text.substr(0, end);
    text = end == std::string_view::npos ? std::string_view() : text.substr(end + 1);
    ++number;
    if (std::size_t comment = line.find(';'); comment != std::string_view::npos) line = line.substr(0, comment);
    ProgramLine parsed;
    parsed.line = number;
    std::size_t pos = 0;
    while (pos < line.size()) {
      while (pos < line.size() && (line[pos] == ' ' || line[pos] == '\t' || line[pos] == '\r')) ++pos;
      std::size_t start = pos;
      while (pos < line.size() && line[pos] != ' ' && line[pos] != '\t' && line[pos] != '\r') ++pos;
      if (pos == start) break;
      std::string word(line.substr(start, pos - start));
      if (parsed.mnemonic.empty()) {
        parsed.mnemonic = std::move(word);
      } else {
        parsed.operands.push_back(std::move(word));
      }
    }
    if (!parsed.mnemonic.empty()) lines.push_back(std::move(parsed));
  }
  return lines;
}

}  // namespace quorsma::tool
