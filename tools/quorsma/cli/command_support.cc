// Helpers shared by the subcommands, and the command line itself.
#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstring>

#include "commands.h"
#include "host.h"
#include "client_names.h"
#include "terminal.h"

namespace quorsma::tool {
namespace {

std::string Names(const CLI::App& app) {
  std::string names;
  for (const CLI::App* sub : app.get_subcommands([](const CLI::App*) { return true; })) {
    if (!names.empty()) names += ", ";
    names += sub->get_name();
  }
  return names;
}

CLI::App* FindCommand(CLI::App& app, const std::string& name) {
  for (CLI::App* sub : app.get_subcommands([](const CLI::App*) { return true; })) {
    if (sub->get_name() == name) return sub;
  }
  return nullptr;
}

}  // namespace

const CLI::Validator kFiniteNumber(
    [](std::string& text) -> std::string {
      double value = 0;
      if (!CLI::detail::lexical_cast(text, value) || !std::isfinite(value)) return "a finite number is needed, not " + text;
      return {};
    },
    "NUMBER");

MH_SHARED_STRUCTURE* RequireImage() {
  MH_SHARED_STRUCTURE* image = nullptr;
  smGetMemoryPointer(&image);
  if (image == nullptr) {
    std::fprintf(stderr,
                 "quorsma: error: the section could not be mapped in this process: %s\n",
                 SectionMapFailure().c_str());
  }
  return image;
}

void WarnWhenAlone(const char* what) {
  if (OtherSectionHolders() == 0)
    std::fprintf(stderr,
                 "quorsma: warning: no other process holds the section %s: %s with this command (only what a "
                 "file keeps, such as retentive registers and comments, stays)\n",
                 SectionName().c_str(), what);
}

void WarnWhenReadingAlone() {
  if (OtherSectionHolders() == 0)
    std::fprintf(stderr,
                 "quorsma: warning: no other process holds the section %s: it was made anew for this command, so "
                 "it shows what the files keep (retentive registers, comments) and zero elsewhere; is "
                 "QUORSMA_SECTION the plant's?\n",
                 SectionName().c_str());
}

bool CheckInputFiles(const std::vector<std::string>& paths, std::uintmax_t limit) {
  for (const std::string& path : paths) {
    std::string reason;
    if (std::FILE* file = OpenInputFile(path, limit, &reason)) {
      std::fclose(file);
      continue;
    }
    std::fprintf(stderr, "quorsma: error: cannot read %s: %s\n", path.c_str(), reason.c_str());
    return false;
  }
  return true;
}

void EndLineAfterInterrupt() {
  if (StopRequested() && StdoutIsTerminal()) std::fputc('\n', stdout);
}

int Fail(const std::string& message) {
  std::fprintf(stderr, "quorsma: error: %s\n", message.c_str());
  return kExitFailure;
}

int BadInput(const std::string& message) {
  Fail(message);
  return kExitBadInput;
}

namespace {

int ParseAndRun(CLI::App& app, int argc, char** argv, const int& exit_code) {
  app.set_version_flag("--version", "quorsma " QUORSMA_VERSION_STRING);
  app.require_subcommand(0, 1);
  app.footer("Exit codes: 0 success, 1 failure, 2 bad input (nothing was done).  'quorsma help COMMAND' shows a "
             "command's options.");
  std::string topic;
  CLI::App* help = app.add_subcommand("help", "Show the commands, or the options of one command");
  help->add_option("COMMAND", topic, "The command to explain");
  try {
    app.parse(argc, argv);
  } catch (const CLI::CallForHelp&) {
    // --help, of the program or of the chosen command.
    std::fputs(app.help().c_str(), stdout);
    return 0;
  } catch (const CLI::CallForVersion& e) {
    std::printf("%s\n", e.what());
    return 0;
  } catch (const CLI::ParseError& e) {
    if (e.get_exit_code() == 0) return 0;
    std::string message = e.what();
    // "A subcommand is required" or an unexpected first word: name the commands.
    if (argc > 1 && argv[1][0] != '-' && FindCommand(app, argv[1]) == nullptr)
      message = std::string("unknown command '") + argv[1] + "'; the commands are " + Names(app);
    std::fprintf(stderr, "quorsma: error: %s\n", message.c_str());
    std::fprintf(stderr, "Run 'quorsma help%s%s' for usage.\n", app.get_subcommands().empty() ? "" : " ",
                 app.get_subcommands().empty() ? "" : app.get_subcommands().front()->get_name().c_str());
    return kExitBadInput;
  }
  if (app.get_subcommands().empty() || app.got_subcommand(help)) {
    if (help->parsed() && !topic.empty()) {
      CLI::App* sub = FindCommand(app, topic);
      if (sub == nullptr || sub == help) {
        std::fprintf(stderr, "quorsma: error: unknown command '%s'; the commands are %s\n", topic.c_str(),
                     Names(app).c_str());
        return kExitBadInput;
      }
      std::fputs(sub->help("quorsma").c_str(), stdout);
      return 0;
    }
    if (!help->parsed()) {
      std::fprintf(stderr, "quorsma: error: a command is needed, one of %s\nRun 'quorsma help' for usage.\n",
                   Names(app).c_str());
      return kExitBadInput;
    }
    std::fputs(app.get_formatter()->make_help(&app, "quorsma", CLI::AppFormatMode::Normal).c_str(), stdout);
    return 0;
  }
  return exit_code;
}

}  // namespace

int RunCommandLine(CLI::App& app, int argc, char** argv, const int& exit_code) {
  const int code = ParseAndRun(app, argc, argv, exit_code);
  // Output that could not be written (standard output closed, a full disk
  // behind a redirection) makes a command fail rather than succeed with its
  // result lost.
  const bool flushed = std::fflush(stdout) == 0;
  const int error = errno;
  if (code == 0 && (!flushed || std::ferror(stdout))) {
    std::fprintf(stderr, "quorsma: error: cannot write standard output%s%s\n", flushed ? "" : ": ",
                 flushed ? "" : SystemError(error).c_str());
    return kExitFailure;
  }
  return code;
}

}  // namespace quorsma::tool
