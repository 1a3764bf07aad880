// The snapshot files of quorsma dump and restore.
//
// Text (the default), one device per line, fields separated by a tab:
//
//   # quorsma dump, encoding CP949
//   # section MH_SHARED_STRUCTURE, 2026-12-08 12:00:00
//   X0<TAB>1<TAB>start button
//   D100<TAB>-5
//
//   - The first line names the encoding of the comments: CP949 (files and
//     pipes), or UTF-8 (what dump writes to a UTF-8 terminal).  A file
//     without that line is read as CP949; one starting with a UTF-8 byte
//     order mark, as UTF-8.
//   - Lines starting with '#' and blank lines are skipped; lines end in LF
//     or CR LF.
//   - OPERAND is a plain device of X Y M L B S D W Z (numbers in the device's
//     own radix); VALUE is decimal (or 0x hexadecimal), 0 or 1 for bit
//     devices.  Blanks may stand for the tab between the two.
//   - The third field, present only in a dump made with --comments, is the
//     comment, with \\ \t \r \n and \xHH escapes; an empty third field
//     means "no comment".  A line without it leaves the comment alone.
//
// JSON (dump --json), comments in UTF-8:
//
//   {"format":"quorsma dump","section":"...","devices":[
//    {"operand":"X0","value":1,"comment":"start button"},
//    {"operand":"D100","value":-5}
//   ]}
//
// restore also takes a bare array of such objects (what get --json prints)
// and ignores other members.
//
// Every entry is checked as a whole before anything is written: operand,
// value, comment (CP949 can store it, at most 255 bytes, no control
// characters, a device with a comment area), and each device at most once.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace quorsma::tool {

struct SnapshotEntry {
  int line = 0;              // where it stands in the file, for messages
  std::string device;        // "X", "D", ...
  int32_t number = 0;
  int32_t value = 0;
  bool has_comment = false;  // the entry sets the comment
  std::string comment;       // CP949 bytes, no NUL, at most 255
};

// The devices dump takes: plain devices of these kinds can be written back.
bool IsSnapshotDevice(std::string_view device);
// True for the kinds that have a comment area (all of them but Z).
bool HasCommentArea(std::string_view device);

// One line of the text form; `comment` is used when `with_comment`.
std::string SnapshotTextHeader(bool utf8, const std::string& section, const std::string& time);
std::string SnapshotTextLine(const std::string& operand, int32_t value, bool with_comment,
                             const std::string& comment);
// JSON: the opening (up to the devices array), one element, the closing.
std::string SnapshotJsonOpen(const std::string& section);
std::string SnapshotJsonEntry(const std::string& operand, int32_t value, bool with_comment,
                              const std::string& comment_cp949);
std::string SnapshotJsonClose();

// Parses a whole file (text or JSON, told by its first character after a
// UTF-8 byte order mark, which is skipped); the first kKeptSnapshotErrors
// problems go to `errors` as "LINE: reason", and `error_count` (if given)
// counts them all.  True when there is none; a file with no device is one.
constexpr std::size_t kKeptSnapshotErrors = 100;
bool ParseSnapshot(std::string_view bytes, std::vector<SnapshotEntry>* entries, std::vector<std::string>* errors,
                   int64_t* error_count = nullptr);

}  // namespace quorsma::tool
