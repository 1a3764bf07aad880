// The rewrite of COMMENT.WCD.
//
// The areas are scanned in pass order; every run of occupied entries (first
// byte not 0) becomes one block.  The block record's first number and count
// are 16-bit, and so is the text base 10 * (N + 1), which the file needs to
// find its texts.  Within those limits every block is written as it is.
// Where a pass holds what the fields cannot carry, the blocks are recast so
// that each text still loads back under its own number:
//
// - Ten device areas (first number + index): a block longer than 65,535
//   entries, or one that starts above 65,535, cannot be written as it
//   stands.  Then the pass is cut at 65,535: the blocks below are written as
//   they are, and everything from 65,535 up to the last occupied entry goes
//   into one block that starts at 65,535, the empty entries between included
//   (saved as they stand, so they load back empty).  Entry 131,070 lies
//   beyond 65,535 + 65,534, the last number a record can reach, and is the
//   one entry of these areas that the file cannot carry; it is left out.
// - The unit-buffer run (unit * 500 + first number + index): such a block is
//   cut into pieces of at most 65,535 entries, each with the smallest unit
//   that brings its first number down to 65,535 or less.
// - More than 6,552 blocks in all would overflow the text base.  Then the
//   blocks closest to each other within a pass are joined, smallest gap
//   first, with the empty entries between them, until the count fits.
//
// Pages of a section that were never written are not read: the platform
// names the written stretches, and everything outside them is empty.
#include "comment/comment_save.h"

#include <algorithm>
#include <cstring>
#include <numeric>
#include <string>
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

using Ranges = std::vector<std::pair<std::size_t, std::size_t>>;

constexpr int kPassCount = kFileKindCount + 1;  // the ten areas, then the unit run
constexpr int kUnitPass = kFileKindCount;
constexpr int32_t kPassEntries = kLargeArea;  // entries 0 to 131,070 in every pass
constexpr std::size_t kPassBytes = static_cast<std::size_t>(kPassEntries) * kEntryBytes;
// Highest number a record of the ten areas reaches: 65,535 + 65,534.
constexpr int32_t kLastReachable = kMaxField + kMaxField - 1;

struct Block {
  int32_t start;  // entry number within the pass
  int32_t end;    // last entry, inclusive
};

struct Record {
  int pass;
  int32_t start;  // entry number within the pass of its first text
  int32_t count;
  int32_t first;  // first-number field
  int32_t unit;   // unit field
  int32_t end() const { return start + count - 1; }
};

// Entry i of a pass.
const char* PassEntry(Image& image, int pass, int32_t i) {
  if (pass == kUnitPass) return UnitRunEntry(image, i);
  return (image.*(kFileKinds[pass].area))[i];
}

const char* PassBase(Image& image, int pass) {
  return pass == kUnitPass ? image.CommentU[0][0] : PassEntry(image, pass, 0);
}

uint16_t PassCode(int pass) { return pass == kUnitPass ? kCodeUnit : kFileKinds[pass].code; }

// True when the byte at `offset` of the pass lies in a written stretch.
bool IsWritten(const Ranges& ranges, std::size_t offset) {
  auto it = std::upper_bound(ranges.begin(), ranges.end(), offset,
                             [](std::size_t value, const auto& range) { return value < range.first; });
  if (it == ranges.begin()) return false;
  --it;
  return offset - it->first < it->second;
}

// The runs of occupied entries of a pass, looking only at entries whose first
// byte lies in a written stretch.
std::vector<Block> ScanPass(Image& image, int pass, const Ranges& ranges) {
  std::vector<Block> blocks;
  for (const auto& [offset, length] : ranges) {
    if (length == 0) continue;
    int64_t i = static_cast<int64_t>((offset + kEntryBytes - 1) / kEntryBytes);
    const int64_t last = std::min<int64_t>(static_cast<int64_t>((offset + length - 1) / kEntryBytes),
                                           kPassEntries - 1);
    for (; i <= last; ++i) {
      const int32_t n = static_cast<int32_t>(i);
      if (PassEntry(image, pass, n)[0] == '\0') continue;
      if (!blocks.empty() && blocks.back().end == n - 1)
        blocks.back().end = n;
      else
        blocks.push_back({n, n});
    }
  }
  return blocks;
}

bool FitsAsItIs(const Block& b) { return b.start <= kMaxField && b.end - b.start + 1 <= kMaxField; }

void EncodeAreaPass(int pass, const std::vector<Block>& blocks, std::vector<Record>* out) {
  if (std::all_of(blocks.begin(), blocks.end(), FitsAsItIs)) {
    for (const Block& b : blocks) out->push_back({pass, b.start, b.end - b.start + 1, b.start, 0});
    return;
  }
  int32_t high_end = -1;  // last occupied entry from 65,535 on
  for (Block b : blocks) {
    b.end = std::min(b.end, kLastReachable);
    if (b.start > b.end) continue;
    if (b.end < kMaxField) {
      out->push_back({pass, b.start, b.end - b.start + 1, b.start, 0});
      continue;
    }
    if (b.start < kMaxField) out->push_back({pass, b.start, kMaxField - b.start, b.start, 0});
    high_end = b.end;
  }
  if (high_end >= kMaxField) out->push_back({pass, kMaxField, high_end - kMaxField + 1, kMaxField, 0});
}

void EncodeUnitPass(const std::vector<Block>& blocks, std::vector<Record>* out) {
  for (const Block& b : blocks) {
    if (FitsAsItIs(b)) {
      out->push_back({kUnitPass, b.start, b.end - b.start + 1, b.start, 0});
      continue;
    }
    for (int32_t at = b.start; at <= b.end;) {
      const int32_t unit = at <= kMaxField ? 0 : (at - kMaxField + kUnitEntries - 1) / kUnitEntries;
      const int32_t count = std::min(b.end - at + 1, kMaxField);
      out->push_back({kUnitPass, at, count, at - unit * kUnitEntries, unit});
      at += count;
    }
  }
}

// Joins neighbouring records of one pass, smallest gap first, until at most
// kMaxBlocks remain.  A joined record keeps the first number and unit of its
// leftmost part and must still count at most 65,535 entries.
std::vector<Record> JoinRecords(const std::vector<Record>& records) {
  const std::size_t n = records.size();
  std::vector<std::size_t> gaps;  // gap g lies between records g and g + 1
  for (std::size_t g = 0; g + 1 < n; ++g)
    if (records[g].pass == records[g + 1].pass) gaps.push_back(g);
  std::stable_sort(gaps.begin(), gaps.end(), [&](std::size_t a, std::size_t b) {
    return records[a + 1].start - records[a].end() < records[b + 1].start - records[b].end();
  });
  // Groups are runs of records: left_of is valid at a group's right end,
  // right_of at its left end.
  std::vector<std::size_t> left_of(n), right_of(n);
  std::iota(left_of.begin(), left_of.end(), std::size_t{0});
  std::iota(right_of.begin(), right_of.end(), std::size_t{0});
  std::size_t remaining = n;
  for (std::size_t g : gaps) {
    if (remaining <= static_cast<std::size_t>(kMaxBlocks)) break;
    const std::size_t left = left_of[g], right = right_of[g + 1];
    if (records[right].end() - records[left].start + 1 > kMaxField) continue;
    right_of[left] = right;
    left_of[right] = left;
    --remaining;
  }
  std::vector<Record> joined;
  joined.reserve(remaining);
  for (std::size_t i = 0; i < n; i = right_of[i] + 1) {
    Record r = records[i];
    r.count = records[right_of[i]].end() - r.start + 1;
    joined.push_back(r);
  }
  return joined;
}

// The 37 header words of the existing file; 0xFFFF for each word it lacks.
void ReadHeader(const std::vector<char>& file, uint16_t (&words)[kHeaderWords]) {
  for (std::size_t w = 0; w < kHeaderWords; ++w)
    words[w] = (2 * w + 2 <= file.size()) ? ReadWord(file.data() + 2 * w) : 0xFFFF;
}

bool WriteOrReport(const Context& context, const std::string& path, const std::string& bytes) {
  if (HasProjectDirectory(context) && context.env->WriteFileAtomically(path.c_str(), bytes.data(), bytes.size()))
    return true;
  context.env->Trace(Format(text::kFmtCannotOpenFile, path.c_str()).c_str());
  return false;
}

}  // namespace

int32_t SaveMemoryComment(const Context& context) {
  platform::ScopedLock lock(context.env->CommentFileLock());
  return SaveMemoryCommentLocked(context);
}

int32_t SaveMemoryCommentLocked(const Context& context) {
  Image& image = *context.image;
  platform::Env& env = *context.env;
  const std::string blocks_path = ProjectFilePath(context, kBlockWorkFileName);
  const std::string texts_path = ProjectFilePath(context, kTextWorkFileName);
  const std::string comment_path = OthersFilePath(context, kCommentFileName);

  std::vector<char> existing;
  const platform::ReadResult read =
      HasProjectDirectory(context) ? env.ReadFile(comment_path.c_str(), &existing) : platform::ReadResult::kMissing;
  if (read == platform::ReadResult::kFailed) {
    // A file that is there but cannot be read is not replaced by one whose
    // header was never seen.
    env.Trace(Format(text::kFmtCannotOpenFile, comment_path.c_str()).c_str());
    return 0;
  }
  if (read != platform::ReadResult::kRead) {
    existing.clear();
    env.ShowMessage(Format(text::kFmtMustCreateNewFile, comment_path.c_str()).c_str());
  }
  uint16_t header[kHeaderWords];
  ReadHeader(existing, header);
  existing = {};

  std::vector<Ranges> written(kPassCount);
  std::vector<Record> records;
  for (int pass = 0; pass < kPassCount; ++pass) {
    Ranges& ranges = written[pass];
    if (!env.WrittenRanges(PassBase(image, pass), kPassBytes, &ranges)) ranges.assign(1, {0, kPassBytes});
    std::vector<Block> blocks = ScanPass(image, pass, ranges);
    if (pass == kUnitPass)
      EncodeUnitPass(blocks, &records);
    else
      EncodeAreaPass(pass, blocks, &records);
  }
  if (records.size() > static_cast<std::size_t>(kMaxBlocks)) records = JoinRecords(records);

  std::size_t text_count = 0;
  for (const Record& r : records) text_count += static_cast<std::size_t>(r.count);
  std::string block_bytes, text_bytes;
  block_bytes.reserve(records.size() * kBlockRecordBytes);
  text_bytes.reserve(text_count * kTextRecordBytes);
  static constexpr char kZeros[kTextBytes] = {};
  for (const Record& r : records) {
    AppendWord(&block_bytes, PassCode(r.pass));
    AppendWord(&block_bytes, static_cast<uint32_t>(r.first));
    AppendWord(&block_bytes, static_cast<uint32_t>(r.unit));
    AppendWord(&block_bytes, static_cast<uint32_t>(r.count));
    AppendWord(&block_bytes, 0);
    for (int32_t i = r.start; i <= r.end(); ++i) {
      text_bytes.append(kTextFillBytes, ' ');
      // An entry in a never-written page is all zeros: not read, so not
      // brought into being.
      const bool in_use = IsWritten(written[r.pass], static_cast<std::size_t>(i) * kEntryBytes);
      text_bytes.append(in_use ? PassEntry(image, r.pass, i) : kZeros, kTextBytes);
    }
  }

  const uint32_t block_count = static_cast<uint32_t>(records.size());
  header[kTextBaseWord] = static_cast<uint16_t>(TextBase(block_count));
  header[kBlockCountWord] = static_cast<uint16_t>(block_count);
  std::string file;
  file.reserve(kHeaderBytes + block_bytes.size() + text_bytes.size());
  for (uint16_t word : header) AppendWord(&file, word);
  file += block_bytes;
  file += text_bytes;

  // The work files hold the record sections of the last rewrite; the comment
  // file is built from the same bytes whether or not they could be written.
  WriteOrReport(context, blocks_path, block_bytes);
  WriteOrReport(context, texts_path, text_bytes);
  return WriteOrReport(context, comment_path, file) ? 1 : 0;
}

}  // namespace quorsma::comment
