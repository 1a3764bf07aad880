// quorsma comment get / set / import: device comments.
#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <string>

#include "comments/comment_import.h"
#include "cli/commands.h"
#include "cli/library_messages.h"
#include "cli/monitor.h"
#include "cli/client_names.h"
#include "cli/plural.h"
#include "cli/host.h"
#include "cli/text_encoding.h"

namespace quorsma::tool {
namespace {

constexpr std::size_t kCommentFileBytes = 32;  // what COMMENT.WCD keeps of a comment
constexpr std::size_t kCommentMaxBytes = 255;

int CommentGet(const std::string& operand) {
  std::string reason;
  if (!CheckOperand(operand, Role::kComment, nullptr, &reason))
    return BadInput("operand '" + operand + "': " + reason);
  if (RequireImage() == nullptr) return kExitFailure;
  CaptureLibraryMessages();
  const std::string comment = CommentOf(operand);
  std::printf("%s\t%s\n", operand.c_str(), comment.empty() ? "(no comment)" : EscapeControls(ToTerminal(comment)).c_str());
  return 0;
}

struct SetArgs {
  std::string encoding;
  std::string kind;
  std::string number;
  std::string text;
};

int CommentSet(const SetArgs& args) {
  if (!IsCommentKind(args.kind))
    return BadInput("kind '" + args.kind + "': one of M D B T X Y AD DA SM S L R W (upper case)");
  const bool hex = IsHexKind(args.kind);
  long long number = 0;
  bool digits = !args.number.empty() && args.number.size() <= 8;
  for (char c : args.number) {
    int d = c >= '0' && c <= '9' ? c - '0' : hex && c >= 'A' && c <= 'F' ? c - 'A' + 10 : hex && c >= 'a' && c <= 'f' ? c - 'a' + 10 : -1;
    if (d < 0) digits = false;
    number = number * (hex ? 16 : 10) + (d < 0 ? 0 : d);
  }
  if (!digits || number >= QSMA_AREA_LARGE)
    return BadInput("number '" + args.number + "': " + (hex ? "hexadecimal 0 to 1FFFE" : "decimal 0 to 131070"));
  std::string comment;
  const bool ascii = std::all_of(args.text.begin(), args.text.end(), [](char c) { return (c & 0x80) == 0; });
  if (args.encoding == "utf8") {
    if (!Utf8ToCp949(args.text, &comment)) return BadInput("the comment is not UTF-8, or CP949 cannot store it");
  } else if (args.encoding == "cp949") {
    comment = args.text;
  } else if (!ascii && !TerminalIsUtf8()) {
    return BadInput("the comment holds non-ASCII text and the locale is not UTF-8: say what it is with --encoding "
                    "utf8 or --encoding cp949");
  } else if (!FromTerminal(args.text, &comment)) {
    return BadInput("the comment holds characters that CP949 cannot store");
  }
  for (char c : comment) {
    if (static_cast<unsigned char>(c) < 0x20 || c == 0x7F)
      return BadInput("the comment holds a control character (" + EscapeControls(std::string(1, c)) +
                      "); a comment is one line of text");
  }
  if (comment.size() > kCommentMaxBytes) return BadInput("a comment holds at most 255 bytes (CP949)");
  // The comment file keeps the first 32 bytes: a double-byte character
  // across that boundary would come back broken after a restart.  A blank
  // moves it whole past the cut.
  std::size_t at = 0;
  while (at < kCommentFileBytes && at < comment.size())
    at += static_cast<unsigned char>(comment[at]) >= 0x81 && at + 1 < comment.size() ? 2 : 1;
  if (at > kCommentFileBytes && comment.size() < kCommentMaxBytes) {
    comment.insert(kCommentFileBytes - 1, 1, ' ');
    std::fprintf(stderr, "quorsma: note: a blank was put before the character at byte 32, so that the comment file's "
                         "32 bytes end on a whole character\n");
  }
  MH_SHARED_STRUCTURE* image = RequireImage();
  if (image == nullptr) return kExitFailure;
  CaptureLibraryMessages();
  // The kind and number were checked above: a failure is the comment file's.
  if (!smModifyMemoryComment(args.kind.c_str(), static_cast<int32_t>(number), comment.c_str()))
    return Fail(CommentWriteFailure(image) + " (the comment stays in memory only)");
  if (comment.size() > kCommentFileBytes)
    std::fprintf(stderr, "quorsma: note: the comment file keeps the first 32 bytes; all %zu stay in memory\n",
                 comment.size());
  if (args.kind == "S" || args.kind == "AD" || args.kind == "DA")
    std::fprintf(stderr, "quorsma: note: %s comments are not kept in the comment file\n", args.kind.c_str());
  WarnWhenAlone("the comment's memory copy ends");
  return 0;
}

struct ImportArgs {
  std::string file;
  bool utf8 = false;
};

// True when `text` holds at least one multi-byte UTF-8 sequence and nothing
// that is not UTF-8.
bool LooksLikeUtf8(const std::string& text) {
  bool multibyte = false;
  for (std::size_t i = 0; i < text.size();) {
    const auto c = static_cast<unsigned char>(text[i]);
    const int n = c < 0x80 ? 1 : (c >> 5) == 0x6 ? 2 : (c >> 4) == 0xE ? 3 : (c >> 3) == 0x1E ? 4 : 0;
    if (n == 0 || i + n > text.size()) return false;
    for (int k = 1; k < n; ++k) {
      if ((static_cast<unsigned char>(text[i + k]) & 0xC0) != 0x80) return false;
    }
    multibyte = multibyte || n > 1;
    i += n;
  }
  return multibyte;
}

int CommentImport(const ImportArgs& args) {
  std::string content, error;
  if (!CheckInputFiles({args.file}, kMaxImportBytes)) return kExitBadInput;
  if (!ReadInputFile(args.file, kMaxImportBytes, &content, &error)) return Fail(error);
  if (!args.utf8 && LooksLikeUtf8(content))
    return BadInput(args.file + " looks like UTF-8 text: import it with --utf8 (comments are stored in CP949)");
  int line_number = 1;
  for (std::size_t i = 0; i < content.size(); ++i) {
    const auto c = static_cast<unsigned char>(content[i]);
    if (c == '\n') ++line_number;
    const bool line_end = c == '\n' || (c == '\r' && i + 1 < content.size() && content[i + 1] == '\n');
    if ((c < 0x20 && !line_end && c != '\t') || c == 0x7F)
      return BadInput(args.file + ": line " + std::to_string(line_number) + " holds a control character (" +
                      EscapeControls(std::string(1, static_cast<char>(c))) + "); nothing was imported");
  }
  if (args.utf8) {
    std::string converted;
    if (!Utf8ToCp949(content, &converted))
      return BadInput(args.file + ": not UTF-8, or holds characters that CP949 cannot store");
    content = std::move(converted);
  }
  ImportCheck check = CheckImportText(content);
  if (!check.errors.empty()) {
    for (const std::string& e : check.errors) std::fprintf(stderr, "%s: %s\n", args.file.c_str(), e.c_str());
    return BadInput(Counted(static_cast<int64_t>(check.errors.size()), "bad line") + "; nothing was imported");
  }
  MH_SHARED_STRUCTURE* image = RequireImage();
  if (image == nullptr) return kExitFailure;
  CaptureLibraryMessages();
  std::string path = args.file;
  PrivateTemporaryFile converted;
  if (args.utf8) {
    if (!converted.Create("quorsma-import", content, &error)) return Fail(error);
    path = converted.path();
  }
  const int32_t ok = smModifyMemoryComment_FromFile(path.c_str());
  // The file was read above; unless it vanished since, a failure is the
  // comment file's.
  int read_error = 0;
  if (!ok) {
    if (std::FILE* again = std::fopen(path.c_str(), "rb"))
      std::fclose(again);
    else
      read_error = errno;
  }
  converted.Remove();
  if (read_error != 0) return Fail("cannot read " + args.file + ": " + SystemError(read_error));
  if (!ok) return Fail(CommentWriteFailure(image) + " (the comments stay in memory only)");
  std::printf("%s imported\n", Counted(check.comments, "comment").c_str());
  return 0;
}

}  // namespace

void AddCommentCommand(CLI::App& app, int* exit_code) {
  CLI::App* comment = app.add_subcommand("comment", "Read and change device comments");
  comment->require_subcommand(1);

  auto get_operand = std::make_shared<std::string>();
  CLI::App* get = comment->add_subcommand("get", "Show the comment of a device");
  get->add_option("OPERAND", *get_operand, "A device such as X1F, M100, D100, T0, SM400")->required();
  get->callback([get_operand, exit_code] { *exit_code = CommentGet(*get_operand); });

  auto set_args = std::make_shared<SetArgs>();
  CLI::App* set = comment->add_subcommand("set", "Set the comment of one device and rewrite the comment file");
  set->add_option("KIND", set_args->kind, "M D B T X Y AD DA SM S L R W")->required();
  set->add_option("NUMBER", set_args->number, "Device number: hexadecimal for X Y B W, decimal for the others")
      ->required();
  set->add_option("TEXT", set_args->text, "The comment; an empty text removes it")->required();
  set->add_option("--encoding", set_args->encoding,
                  "What TEXT is: utf8 or cp949 (needed for non-ASCII text when the locale is not UTF-8)")
      ->check(CLI::IsMember({"utf8", "cp949"}));
  set->callback([set_args, exit_code] { *exit_code = CommentSet(*set_args); });

  auto import_args = std::make_shared<ImportArgs>();
  CLI::App* import = comment->add_subcommand("import", "Import key=comment lines and rewrite the comment file once");
  import->add_option("FILE", import_args->file, "The import file (CP949 text unless --utf8)")->required();
  import->add_flag("--utf8", import_args->utf8, "The file is UTF-8: convert it to CP949 first");
  import->footer("Each comment is laid out in 8-byte cells, at most 32 bytes.  The file is checked first: if any line "
                 "would be rejected, nothing is imported.");
  import->callback([import_args, exit_code] { *exit_code = CommentImport(*import_args); });
}

}  // namespace quorsma::tool
