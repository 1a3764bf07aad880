// Builds COMMENT.WCD images for the comment tests and reads them back.
#pragma once

#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

namespace quorsma::testing {

struct WcdBlock {
  uint16_t code;
  uint16_t first;
  uint16_t unit;
  std::vector<std::string> texts;  // each padded with NULs to 32 bytes
};

inline void PutWord(std::string* out, std::size_t at, uint32_t value) {
  if (out->size() < at + 2) out->resize(at + 2, '\0');
  (*out)[at] = static_cast<char>(value & 0xFF);
  (*out)[at + 1] = static_cast<char>((value >> 8) & 0xFF);
}

inline uint16_t GetWord(const std::string& in, std::size_t at) {
  return static_cast<uint16_t>(static_cast<unsigned char>(in[at]) | (static_cast<unsigned char>(in[at + 1]) << 8));
}

inline std::string Text32(const std::string& text) {
  std::string t = text.substr(0, 32);
  t.resize(32, '\0');
  return t;
}

// A file in the layout the rewrite produces: header words 0..31 and 33..35
// set to `filler`, text base 10 * (N + 1).
inline std::string BuildWcd(const std::vector<WcdBlock>& blocks, uint16_t filler = 0x1234) {
  std::string out;
  for (std::size_t w = 0; w < 37; ++w) PutWord(&out, 2 * w, filler);
  PutWord(&out, 0x40, static_cast<uint32_t>(10 * (blocks.size() + 1)));
  PutWord(&out, 0x48, static_cast<uint32_t>(blocks.size()));
  for (const WcdBlock& b : blocks) {
    std::size_t at = out.size();
    PutWord(&out, at, b.code);
    PutWord(&out, at + 2, b.first);
    PutWord(&out, at + 4, b.unit);
    PutWord(&out, at + 6, static_cast<uint32_t>(b.texts.size()));
    PutWord(&out, at + 8, 0);
  }
  for (const WcdBlock& b : blocks)
    for (const std::string& t : b.texts) out += std::string(8, ' ') + Text32(t);
  return out;
}

// A parsed file, checked for internal consistency by the caller.
struct ParsedWcd {
  std::vector<uint16_t> header;  // 37 words
  struct Record {
    uint16_t code, first, unit, count, reserved;
  };
  std::vector<Record> records;
  std::vector<std::string> texts;  // 40-byte text records, in order
  bool complete = false;           // size matches header, records and texts exactly
};

inline ParsedWcd ParseWcd(const std::string& file) {
  ParsedWcd p;
  if (file.size() < 74) return p;
  for (std::size_t w = 0; w < 37; ++w) p.header.push_back(GetWord(file, 2 * w));
  const std::size_t n = p.header[36];
  std::size_t texts = 0;
  for (std::size_t i = 0; i < n; ++i) {
    std::size_t at = 74 + 10 * i;
    if (at + 10 > file.size()) return p;
    ParsedWcd::Record r{GetWord(file, at), GetWord(file, at + 2), GetWord(file, at + 4), GetWord(file, at + 6),
                        GetWord(file, at + 8)};
    texts += r.count;
    p.records.push_back(r);
  }
  const std::size_t text_start = 74 + 10 * n;
  for (std::size_t k = 0; k < texts; ++k) {
    if (text_start + 40 * k + 40 > file.size()) return p;
    p.texts.push_back(file.substr(text_start + 40 * k, 40));
  }
  p.complete = p.header[32] == 10 * (n + 1) && file.size() == text_start + 40 * texts;
  return p;
}

}  // namespace quorsma::testing
