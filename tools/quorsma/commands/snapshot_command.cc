// quorsma dump / restore: device values (and comments) to a file and back.
// The file formats are described in snapshot_format.h.
#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <ctime>
#include <map>
#include <string>
#include <vector>

#include "cli/commands.h"
#include "cli/client_names.h"
#include "cli/host.h"
#include "cli/library_messages.h"
#include "cli/plural.h"
#include "snapshot/snapshot_format.h"
#include "snapshot/snapshot_restore.h"
#include "cli/terminal.h"
#include "cli/text_encoding.h"

namespace quorsma::tool {
namespace {

// Problems listed before the rest are only counted.
constexpr std::size_t kShownErrors = 20;

struct DumpArgs {
  std::vector<std::string> ranges;
  bool json = false;
  bool comments = false;
};

int Dump(const DumpArgs& args) {
  std::vector<DeviceRange> ranges;
  for (const std::string& text : args.ranges) {
    std::vector<RangeItem> items;
    std::string reason;
    if (!ParseRangeList(text, {}, &items, &reason)) return BadInput(reason);
    for (const RangeItem& item : items) {
      if (item.kind != RangeItem::Kind::kRange || !IsSnapshotDevice(item.range.device))
        return BadInput("'" + text + "': dump takes devices and ranges of X Y M L B S D W Z (X0..X1F, D100..D120), "
                        "which restore can write back");
      ranges.push_back(item.range);
    }
  }
  MH_SHARED_STRUCTURE* image = RequireImage();
  if (image == nullptr) return kExitFailure;
  WarnWhenReadingAlone();
  // A terminal gets its own encoding; files and pipes keep the CP949 bytes.
  const bool utf8 = !args.json && StdoutIsTerminal() && TerminalIsUtf8();
  std::string out = args.json ? SnapshotJsonOpen(SectionName())
                               : SnapshotTextHeader(utf8, SectionName(), LocalTimeText(std::time(nullptr)));
  int write_error = 0;
  auto emit = [&] {
    errno = 0;
    if (write_error == 0 && std::fwrite(out.data(), 1, out.size(), stdout) != out.size())
      write_error = errno != 0 ? errno : EIO;
    out.clear();
  };
  bool first = true;
  // Ranges may overlap; each device is written once, at its first place,
  // since restore takes a device once.
  std::map<std::string, std::vector<bool>> written;
  for (const DeviceRange& range : ranges) {
    std::vector<bool>& seen = written[range.device];
    seen.resize(std::max(seen.size(), static_cast<std::size_t>(range.last) + 1));
    for (int32_t n = range.first; n <= range.last; ++n) {
      if (seen[static_cast<std::size_t>(n)]) continue;
      seen[static_cast<std::size_t>(n)] = true;
      Operand op;
      op.device = range.device;
      op.number = n;
      // Straight from the image: a snapshot changes nothing, not even the
      // value-change bookkeeping.
      const DeviceValue v = ReadDeviceValue(image, op, ReadPath::kImage);
      if (args.json) {
        out += (first ? "\n " : ",\n ") + SnapshotJsonEntry(v.operand, v.value, args.comments, v.comment);
      } else {
        out += SnapshotTextLine(v.operand, v.value, args.comments, utf8 ? Cp949ToUtf8(v.comment) : v.comment);
      }
      first = false;
    }
    if (out.size() >= 1 << 20) emit();
  }
  if (args.json) out += SnapshotJsonClose();
  emit();
  errno = 0;
  if (write_error == 0 && std::fflush(stdout) != 0) write_error = errno != 0 ? errno : EIO;
  if (write_error != 0) return Fail("cannot write standard output: " + SystemError(write_error));
  return 0;
}

struct RestoreArgs {
  std::string file;
  bool comments = false;
};

int Restore(const RestoreArgs& args) {
  std::string bytes, error;
  if ((args.file != "-" && !CheckInputFiles({args.file}, kMaxImportBytes)) ||
      !ReadInputFile(args.file, kMaxImportBytes, &bytes, &error))
    return error.empty() ? kExitBadInput : BadInput(error);
  const std::string name = args.file == "-" ? "standard input" : args.file;
  std::vector<SnapshotEntry> entries;
  std::vector<std::string> errors;
  int64_t error_count = 0;
  if (!ParseSnapshot(bytes, &entries, &errors, &error_count)) {
    for (std::size_t i = 0; i < errors.size() && i < kShownErrors; ++i)
      std::fprintf(stderr, "%s:%s\n", name.c_str(), errors[i].c_str());
    if (error_count > static_cast<int64_t>(kShownErrors))
      std::fprintf(stderr, "%s: ... and %lld more\n", name.c_str(),
                   static_cast<long long>(error_count - static_cast<int64_t>(kShownErrors)));
    return BadInput(Counted(error_count, "error") + "; nothing was restored");
  }
  MH_SHARED_STRUCTURE* image = RequireImage();
  if (image == nullptr) return kExitFailure;
  CaptureLibraryMessages();
  const int64_t messages = LibraryMessageCount();
  // Through the library's device write, as set writes: the value-change
  // check and the retentive save run for every register.
  for (const SnapshotEntry& e : entries) SetSma(DeviceText(e.device, e.number).c_str(), e.value);
  if (LibraryMessageCount() != messages)
    return Fail("the library refused a write or could not save it (its message is above)");
  int64_t in_file = 0;
  for (const SnapshotEntry& e : entries) in_file += e.has_comment ? 1 : 0;
  int64_t comments = 0;
  if (args.comments) {
    if (!RestoreComments(image, entries, &comments, &error)) return Fail(error);
  }
  std::printf("%s restored", Counted(static_cast<int64_t>(entries.size()), "value").c_str());
  if (args.comments) std::printf(", %s changed", Counted(comments, "comment").c_str());
  std::printf("\n");
  if (!args.comments && in_file > 0)
    std::fprintf(stderr, "quorsma: note: the file holds %s, left as they are (--comments restores them)\n",
                 Counted(in_file, "comment").c_str());
  WarnWhenAlone("the values end");
  return 0;
}

}  // namespace

void AddSnapshotCommands(CLI::App& app, int* exit_code) {
  auto dump_args = std::make_shared<DumpArgs>();
  CLI::App* dump = app.add_subcommand("dump", "Write the values (and comments) of devices to standard output");
  dump->add_option("RANGE", dump_args->ranges,
                   "Devices and ranges of X Y M L B S D W Z, such as X0..X1F, D100..D120; comma-separated lists too")
      ->required();
  dump->add_flag("--json", dump_args->json, "JSON (comments in UTF-8) instead of text");
  dump->add_flag("--comments", dump_args->comments, "Add each device's comment");
  dump->footer("Text: one 'OPERAND<TAB>VALUE[<TAB>COMMENT]' line per device under a '#' header naming the encoding\n"
               "(CP949; UTF-8 on a UTF-8 terminal).  Values are read from the image without side effects.\n"
               "'quorsma restore FILE' writes a dump back.");
  dump->callback([dump_args, exit_code] { *exit_code = Dump(*dump_args); });

  auto restore_args = std::make_shared<RestoreArgs>();
  CLI::App* restore = app.add_subcommand("restore", "Write back the values (and comments) of a dump");
  restore->add_option("FILE", restore_args->file, "A file made by quorsma dump (text or JSON); - for standard input")
      ->required();
  restore->add_flag("--comments", restore_args->comments, "Also set the comments the file holds");
  restore->footer("The whole file is checked first (every operand, value and comment, each device once); a problem\n"
                  "is reported as FILE:LINE: reason and nothing is written.  Values are written as set writes them\n"
                  "(value-change check, retentive saves); the comments that differ are set and the comment file\n"
                  "rewritten once through the comment editor.");
  restore->callback([restore_args, exit_code] { *exit_code = Restore(*restore_args); });
}

}  // namespace quorsma::tool
