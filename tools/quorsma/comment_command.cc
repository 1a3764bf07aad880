// quorsma comment get / set / import: device comments.
#include <cstdio>
#include <filesystem>
#include <string>

#include "comment_import.h"
#include "commands.h"
#include "library_messages.h"
#include "monitor.h"
#include "operand_syntax.h"
#include "program_parser.h"
#include "host.h"
#include "text_encoding.h"

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
  std::printf("%s\t%s\n", operand.c_str(), comment.empty() ? "(no comment)" : ToTerminal(comment).c_str());
  return 0;
}

struct SetArgs {
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
  if (!FromTerminal(args.text, &comment)) return BadInput("the comment holds characters that CP949 cannot store");
  if (comment.size() > kCommentMaxBytes) return BadInput("a comment holds at most 255 bytes (CP949)");
  if (RequireImage() == nullptr) return kExitFailure;
  CaptureLibraryMessages();
  if (!smModifyMemoryComment(args.kind.c_str(), static_cast<int32_t>(number), comment.c_str()))
    return Fail("the library refused the comment");
  if (comment.size() > kCommentFileBytes)
    std::fprintf(stderr, "quorsma: note: the comment file keeps the first 32 bytes; all %zu stay in memory\n",
                 comment.size());
  if (args.kind == "S" || args.kind == "AD" || args.kind == "DA")
    std::fprintf(stderr, "quorsma: note: %s comments are not kept in the comment file\n", args.kind.c_str());
  return 0;
}

struct ImportArgs {
  std::string file;
  bool utf8 = false;
};

int CommentImport(const ImportArgs& args) {
  std::string content, error;
  if (!ReadTextFile(args.file, &content, &error)) return Fail(error);
  if (args.utf8) {
    std::string converted;
    if (!Utf8ToCp949(content, &converted))
      return BadInput(args.file + ": not UTF-8, or holds characters that CP949 cannot store");
    content = std::move(converted);
  }
  ImportCheck check = CheckImportText(content);
  if (!check.errors.empty()) {
    for (const std::string& e : check.errors) std::fprintf(stderr, "%s: %s\n", args.file.c_str(), e.c_str());
    return BadInput(std::to_string(check.errors.size()) + " bad line" + (check.errors.size() == 1 ? "" : "s") +
                    "; nothing was imported");
  }
  if (RequireImage() == nullptr) return kExitFailure;
  CaptureLibraryMessages();
  std::string path = args.file;
  if (args.utf8) {
    path = TemporaryPath("quorsma-import");
    std::FILE* out = std::fopen(path.c_str(), "wb");
    if (out == nullptr || std::fwrite(content.data(), 1, content.size(), out) != content.size()) {
      if (out) std::fclose(out);
      return Fail("cannot write the converted file " + path);
    }
    std::fclose(out);
  }
  const int32_t ok = smModifyMemoryComment_FromFile(path.c_str());
  if (args.utf8) {
    std::error_code ignored;
    std::filesystem::remove(path, ignored);
  }
  if (!ok) return Fail("the library could not open " + path);
  std::printf("%d comment%s imported\n", check.comments, check.comments == 1 ? "" : "s");
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
  set->callback([set_args, exit_code] { *exit_code = CommentSet(*set_args); });

  auto import_args = std::make_shared<ImportArgs>();
  CLI::App* import = comment->add_subcommand("import", "Import key=comment lines and rewrite the comment file once");
  import->add_option("FILE", import_args->file, "The import file (CP949 text unless --utf8)")
      ->required()
      ->check(CLI::ExistingFile);
  import->add_flag("--utf8", import_args->utf8, "The file is UTF-8: convert it to CP949 first");
  import->footer("Each comment is laid out in 8-byte cells, at most 32 bytes.  The file is checked first: if any line "
                 "would be rejected, nothing is imported.");
  import->callback([import_args, exit_code] { *exit_code = CommentImport(*import_args); });
}

}  // namespace quorsma::tool
