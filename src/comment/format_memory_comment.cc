#include "comment/format_memory_comment.h"

#include <algorithm>
#include <cstring>

namespace quorsma::comment {
namespace {

constexpr std::size_t kCell = 8;
constexpr std::size_t kMaxWords = 32;

// Appends into the 32-byte result; whatever lies beyond it is dropped.
class Cells {
 public:
  explicit Cells(char* out) : out_(out) {}
  void Append(std::string_view s) {
    std::size_t n = std::min(s.size(), kLaidOutBytes - length_);
    std::memcpy(out_ + length_, s.data(), n);
    length_ += n;
  }
  // Spaces up to the next multiple of 8.
  void Pad() {
    while (length_ % kCell != 0) out_[length_++] = ' ';
  }
  std::size_t length() const { return length_; }

 private:
  char* out_;
  std::size_t length_ = 0;
};

}  // namespace

std::size_t LayOutComment(std::string_view text, char (&out)[kLaidOutBytes + 1]) {
  std::string_view words[kMaxWords];
  std::size_t count = 0;
  for (std::size_t i = 0; i < text.size() && count < kMaxWords;) {
    if (text[i] == ' ') {
      ++i;
      continue;
    }
    std::size_t end = text.find(' ', i);
    if (end == std::string_view::npos) end = text.size();
    words[count++] = text.substr(i, end - i);
    i = end;
  }

  Cells cells(out);
  for (std::size_t i = 0; i < count;) {
    const std::size_t w = words[i].size();
    const std::size_t n = i + 1 < count ? words[i + 1].size() : 0;
    if (n > 0 && w + n <= kCell) {  // a pair shares one cell
      cells.Append(words[i]);
      if (w + n < kCell) cells.Append(" ");
      cells.Append(words[i + 1]);
      cells.Pad();
      i += 2;
    } else if (n > 0) {  // the word alone, in as many cells as it needs
      cells.Append(words[i]);
      cells.Pad();
      i += 1;
    } else {  // the last word: nothing after it
      cells.Append(words[i]);
      i += 1;
    }
  }
  out[cells.length()] = '\0';
  return cells.length();
}

std::string FormatMemoryComment(std::string_view text) {
  char out[kLaidOutBytes + 1];
  std::size_t n = LayOutComment(text, out);
  return std::string(out, n);
}

}  // namespace quorsma::comment
