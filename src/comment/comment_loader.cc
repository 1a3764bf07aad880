#include "comment/comment_loader.h"

#include <algorithm>
#include <cstring>
#include <iterator>
#include <utility>
#include <vector>

#include "comment/comment_file_format.h"
#include "comment/comment_kinds.h"
#include "comment/comment_paths.h"
#include "core/format.h"
#include "core/messages.h"
#include "platform/env.h"

namespace quorsma::comment {
namespace {

// One text of the file and the entry it belongs to.
struct FileText {
  char* entry;       // null when the number lies outside every comment area
  const char* name;  // listing name
  int32_t number;    // number as the block gives it
  const char* text;  // kTextBytes bytes inside the file image
};

// Calls visit(FileText) for every text of the file, in file order.  Block
// records and texts are taken only while they lie wholly inside the image;
// the first one that does not ends the walk.
template <typename Visit>
void ForEachText(Image& image, const char* data, std::size_t size, Visit&& visit) {
  if (size < kHeaderBytes) return;
  const uint32_t blocks = ReadWord(data + kBlockCountOffset);
  const uint64_t text_base = ReadWord(data + kTextBaseOffset);
  uint64_t k = 0;  // texts so far, over all blocks
  char unit_name[16];
  for (uint32_t i = 0; i < blocks; ++i) {
    const std::size_t record = kHeaderBytes + kBlockRecordBytes * i;
    if (record + kBlockFieldsBytes > size) return;
    const uint16_t code = ReadWord(data + record);
    const int32_t first = ReadWord(data + record + 2);
    const int32_t unit = ReadWord(data + record + 4);
    const int32_t count = ReadWord(data + record + 6);

    const FileKind* kind = FindFileKind(code);
    const char* name = kOtherCodeName;
    if (kind != nullptr) {
      name = kind->name;
    } else if (code == kCodeUnit) {
      FormatTo(unit_name, kFmtUnitName, unit);
      name = unit_name;
    }

    for (int32_t j = 0; j < count; ++j, ++k) {
      const uint64_t at = kTextOrigin + text_base + kTextRecordBytes * k;
      if (at + kTextBytes > size) return;
      const int32_t n = first + j;
      char* entry = nullptr;
      if (kind != nullptr) {
        if (InArea(n, kLargeArea)) entry = (image.*(kind->area))[n];
      } else if (code == kCodeUnit) {
        entry = UnitRunEntry(image, static_cast<int64_t>(unit) * kUnitEntries + n);
      } else if (InArea(n, kLargeArea)) {
        entry = image.CommentTMP[n];
      }
      visit(FileText{entry, name, n, data + at});
    }
  }
}

// Appends a comment's bytes to its listing line.  A control byte (below
// 0x20, or 0x7F) is written as \xNN, so a comment holding CR, LF or an escape
// sequence stays on its one line and reaches no terminal raw.  CP949 trail
// bytes are never in that range, so no character is cut.
void AppendListed(std::string* listing, const char* text, std::size_t n) {
  static constexpr char kHex[] = "0123456789ABCDEF";
  for (std::size_t i = 0; i < n; ++i) {
    const auto c = static_cast<unsigned char>(text[i]);
    if (c >= 0x20 && c != 0x7F) {
      *listing += static_cast<char>(c);
      continue;
    }
    const char escaped[4] = {'\\', 'x', kHex[c >> 4], kHex[c & 0xF]};
    listing->append(escaped, 4);
  }
}

}  // namespace

std::string CommentListing(Image& image, const char* data, std::size_t size) {
  std::string listing;
  ForEachText(image, data, size, [&](const FileText& t) {
    if (t.entry == nullptr) return;
    char prefix[32];
    if (ListsInHex(t.name))
      FormatTo(prefix, kFmtListingHex, t.name, t.number);
    else
      FormatTo(prefix, kFmtListingDec, t.name, t.number);
    listing += prefix;
    // The entry's text after the copy: the loaded bytes up to their NUL or,
    // when they hold none, on into the entry's own bytes from 32.
    if (const void* nul = std::memchr(t.text, '\0', kTextBytes)) {
      AppendListed(&listing, t.text, static_cast<std::size_t>(static_cast<const char*>(nul) - t.text));
    } else {
      AppendListed(&listing, t.text, kTextBytes);
      const char* rest = t.entry + kTextBytes;
      const std::size_t room = kEntryBytes - kTextBytes;
      const void* end = std::memchr(rest, '\0', room);
      AppendListed(&listing, rest, end ? static_cast<std::size_t>(static_cast<const char*>(end) - rest) : room);
    }
    listing += kListingLineEnd;
  });
  return listing;
}

void ApplyCommentFile(const Context& context, const char* data, std::size_t size) {
  // Texts of 32 zero bytes (the empty entries that a rewrite keeps between
  // blocks) are not copied into entries that are zero already because their
  // page was never written: that would bring the page into being for nothing.
  Image& image = *context.image;
  auto all_zero = [](const char* text) {
    return std::all_of(text, text + kTextBytes, [](char c) { return c == '\0'; });
  };
  bool any_zero = false;
  ForEachText(image, data, size, [&](const FileText& t) { any_zero = any_zero || (t.entry && all_zero(t.text)); });

  const char* region = image.CommentM[0];
  const std::size_t region_bytes =
      static_cast<std::size_t>(image.CommentR[kLargeArea - 1] + kEntryBytes - region);
  std::vector<std::pair<std::size_t, std::size_t>> written;
  const bool skip_unwritten = any_zero && context.env->WrittenRanges(region, region_bytes, &written);
  std::vector<bool> copied(skip_unwritten ? region_bytes / kEntryBytes : 0);  // by this load

  ForEachText(image, data, size, [&](const FileText& t) {
    if (t.entry == nullptr) return;
    if (!skip_unwritten) {
      std::memcpy(t.entry, t.text, kTextBytes);
      return;
    }
    const std::size_t offset = static_cast<std::size_t>(t.entry - region);
    if (all_zero(t.text) && !copied[offset / kEntryBytes]) {
      auto it = std::upper_bound(written.begin(), written.end(), offset,
                                 [](std::size_t value, const auto& range) { return value < range.first; });
      if (it == written.begin() || offset - std::prev(it)->first >= std::prev(it)->second) return;
    }
    std::memcpy(t.entry, t.text, kTextBytes);
    copied[offset / kEntryBytes] = true;
  });
}

int32_t LoadMemoryComment(const Context& context) {
  if (!HasProjectDirectory(context)) {
    context.env->Trace(text::kTraceNoCommentFile);
    return 0;
  }
  // Held from the read to the last copy: a change of another process (entry
  // written, file rewritten) happens wholly before or after this load, so
  // the load never puts an old text back over a newer one.
  platform::ScopedLock lock(context.env->CommentFileLock());
  std::vector<char> file;
  if (context.env->ReadFile(OthersFilePath(context, kCommentFileName).c_str(), &file) !=
      platform::ReadResult::kRead) {
    context.env->Trace(text::kTraceNoCommentFile);
    return 0;
  }
  // The comments are loaded whether or not the listing could be written; a
  // listing that could not be written is reported.
  const std::string listing_path = OthersFilePath(context, kListingFileName);
  const std::string listing = CommentListing(*context.image, file.data(), file.size());
  if (!context.env->WriteFileAtomically(listing_path.c_str(), listing.data(), listing.size())) {
    context.env->Trace(text::kTraceNoMemoryFile);
    context.env->Trace(Format(text::kFmtCannotOpenFile, listing_path.c_str()).c_str());
  }
  ApplyCommentFile(context, file.data(), file.size());
  return 0;
}

}  // namespace quorsma::comment
