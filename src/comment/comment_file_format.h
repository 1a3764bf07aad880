// The binary comment file COMMENT.WCD, its work files and the MEMORY.TXT
// listing: names, field offsets and the 16-bit limits of the format.
//
// Layout (all 16-bit values unsigned little-endian):
//   0x00  37 header words; word 32 (0x40) is the text base, word 36 (0x48)
//         the number N of block records.  The others are carried over.
//   0x4A  N block records of 10 bytes: code, first number, unit, count, 0.
//   then  one 40-byte text record per covered number: 8 spaces and the first
//         32 bytes of the comment entry.  Text k (counted over all blocks in
//         file order) is found at 72 + text base + 40 * k.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

namespace quorsma::comment {

// ---- File and directory names (joined with platform::kPathSeparator) ----
inline constexpr char kResourceDir[] = "Resource";
inline constexpr char kOthersDir[] = "Others";
inline constexpr char kCommentFileName[] = "COMMENT.WCD";
inline constexpr char kListingFileName[] = "MEMORY.TXT";
inline constexpr char kBlockWorkFileName[] = "PLC_S";
inline constexpr char kTextWorkFileName[] = "PLC_F";

// ---- MEMORY.TXT: one line per loaded text, "<name><number>=<text>" CR LF ----
// Hexadecimal numbers for names beginning with X, Y, W or B, decimal for all
// others.  The text is appended after the prefix, never formatted.
inline constexpr char kFmtListingHex[] = "%s%06X=";
inline constexpr char kFmtListingDec[] = "%s%06d=";
inline constexpr char kListingLineEnd[] = "\r\n";
inline constexpr char kFmtUnitName[] = "U%dG";
inline constexpr char kOtherCodeName[] = "TMP";

// ---- Header ----
inline constexpr std::size_t kHeaderWords = 37;
inline constexpr std::size_t kHeaderBytes = 2 * kHeaderWords;  // 74
inline constexpr std::size_t kTextBaseWord = 32;                // offset 0x40
inline constexpr std::size_t kBlockCountWord = 36;              // offset 0x48
inline constexpr std::size_t kTextBaseOffset = 2 * kTextBaseWord;
inline constexpr std::size_t kBlockCountOffset = 2 * kBlockCountWord;

// ---- Records ----
inline constexpr std::size_t kBlockRecordBytes = 10;
inline constexpr std::size_t kBlockFieldsBytes = 8;  // code, first, unit, count
inline constexpr std::size_t kTextRecordBytes = 40;
inline constexpr std::size_t kTextFillBytes = 8;   // eight spaces, never read
inline constexpr std::size_t kTextBytes = 32;      // first 32 bytes of an entry
// Text k lies at kTextOrigin + text base + kTextRecordBytes * k.
inline constexpr std::size_t kTextOrigin = 72;

// The text base of a file with `block_count` block records: the first text
// lies right after the header, the block records and its eight spaces, which
// is 10 * (block_count + 1) bytes past kTextOrigin.
constexpr std::size_t TextBase(std::size_t block_count) {
  return kHeaderBytes + kBlockRecordBytes * block_count + kTextFillBytes - kTextOrigin;
}
static_assert(TextBase(0) == 10 && TextBase(3) == 40);

// ---- 16-bit limits ----
inline constexpr int32_t kMaxField = 0xFFFF;
// The text base is a 16-bit word: at most this many blocks.
inline constexpr int32_t kMaxBlocks = static_cast<int32_t>((kMaxField - TextBase(0)) / kBlockRecordBytes);
static_assert(kMaxBlocks == 6552);

// ---- Device codes ----
inline constexpr uint16_t kCodeM = 0x0090;
inline constexpr uint16_t kCodeSM = 0x0091;
inline constexpr uint16_t kCodeL = 0x0092;
inline constexpr uint16_t kCodeX = 0x009C;
inline constexpr uint16_t kCodeY = 0x009D;
inline constexpr uint16_t kCodeB = 0x00A0;
inline constexpr uint16_t kCodeD = 0x00A8;
inline constexpr uint16_t kCodeR = 0x00AF;
inline constexpr uint16_t kCodeW = 0x00B4;
inline constexpr uint16_t kCodeT = 0x00C2;
inline constexpr uint16_t kCodeUnit = 0xF8AB;

// Unit-buffer run: entry n of unit u is run number u * 500 + n; run numbers
// from 12500 on continue into CommentTMP.
inline constexpr int32_t kUnitEntries = 500;
inline constexpr int32_t kUnitCount = 25;
inline constexpr int32_t kUnitRunEntries = kUnitEntries * kUnitCount;  // 12500

inline uint16_t ReadWord(const char* p) {
  return static_cast<uint16_t>(static_cast<unsigned char>(p[0]) | (static_cast<unsigned char>(p[1]) << 8));
}

inline void AppendWord(std::string* out, uint32_t value) {
  out->push_back(static_cast<char>(value & 0xFF));
  out->push_back(static_cast<char>((value >> 8) & 0xFF));
}

}  // namespace quorsma::comment
