// quorsma info: the section, its configuration texts, handles and log state,
// as an aligned list, a JSON object or CSV lines.
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "cli/commands.h"
#include "cli/client_names.h"
#include "cli/host.h"
#include "quorsma/quorsma.h"
#include "cli/text_encoding.h"

namespace quorsma::tool {
namespace {

struct InfoArgs {
  bool json = false;
  bool csv = false;
};

// One line of the report.  `label` is shown in the list, `key` names the
// field in JSON and CSV; texts are CP949 as the image holds them.
struct InfoField {
  const char* label;
  const char* key;
  std::string text;
  bool number = false;
  std::string note = {};  // added after the text in the list only
};

template <std::size_t N>
std::string Text(const char (&field)[N]) {
  const void* end = std::memchr(field, '\0', N);
  const std::size_t n = end ? static_cast<std::size_t>(static_cast<const char*>(end) - field) : N;
  return std::string(field, n);
}

std::vector<InfoField> Collect(const MH_SHARED_STRUCTURE* image) {
  char address[32];
  std::snprintf(address, sizeof address, "%p", static_cast<const void*>(image));
  bool from_env = false;
  const std::string config_file = ConfigurationFile(&from_env);
  return {
      {"section", "section", SectionName(), false, " (" + std::to_string(QSMA_SECTION_SIZE) + " bytes)"},
      {"size", "bytes", std::to_string(QSMA_SECTION_SIZE), true},
      {"address", "address", address},
      {"configuration file", "configuration_file", config_file, false, from_env ? " (QUORSMA_CONFIG; else beside the tool, then /etc/quorsma)"
                   : " (first of QUORSMA_CONFIG, beside the tool, /etc/quorsma)"},
      {"module directory", "module_directory", Text(image->ModuleDir)},
      {"EQP_NAME", "EQP_NAME", Text(image->EqpName)},
      {"PROGRAM_VER", "PROGRAM_VER", Text(image->ProgramVer)},
      {"RECIPE_CUR_NAME", "RECIPE_CUR_NAME", Text(image->RecipeCurName)},
      {"RECIPE_CUR_NUMBER", "RECIPE_CUR_NUMBER", Text(image->RecipeCurNumber)},
      {"MEM_PARA_PATH", "MEM_PARA_PATH", Text(image->MemParaPath)},
      {"MEM_PLC_PATH", "MEM_PLC_PATH", Text(image->MemPlcPath)},
      {"setting directory", "setting_directory", Text(image->SettingDir)},
      {"log directory", "log_directory", Text(image->LogDir)},
      {"hWndComm", "hWndComm", std::to_string(smGethWndComm()), true},
      {"hWndMsg", "hWndMsg", std::to_string(smGethWndMsg()), true},
      {"LogEnable", "LogEnable", std::to_string(image->LogEnable), true},
      {"LogLinePending", "LogLinePending", std::to_string(image->LogLinePending), true},
      {"LogLine", "LogLine", Text(image->LogLine)},
  };
}

std::string CsvField(const std::string& text) {
  if (text.find_first_of(",\"") == std::string::npos) return text;
  std::string out = "\"";
  for (char c : text) out += c == '"' ? std::string("\"\"") : std::string(1, c);
  return out + "\"";
}

int RunInfo(const InfoArgs& args) {
  MH_SHARED_STRUCTURE* image = nullptr;
  smGetMemoryPointer(&image);
  if (image == nullptr) {
    if (!args.json && !args.csv)
      std::printf("section            %s (%u bytes)\naddress            (not mapped)\n", SectionName().c_str(),
                  QSMA_SECTION_SIZE);
    return Fail("the section could not be mapped in this process: " + SectionMapFailure());
  }
  const std::vector<InfoField> fields = Collect(image);
  std::string out;
  if (args.json) {
    out = "{";
    for (const InfoField& f : fields) {
      out += (&f == &fields.front() ? "\n " : ",\n ") + JsonString(f.key) + ":" +
             (f.number ? f.text : JsonString(Cp949ToUtf8(f.text)));
    }
    out += "\n}\n";
  } else if (args.csv) {
    out = "key,value\n";
    for (const InfoField& f : fields) out += std::string(f.key) + "," + CsvField(EscapeControls(Cp949ToUtf8(f.text))) + "\n";
  } else {
    for (const InfoField& f : fields) {
      std::string label = f.label;
      label.resize(std::max<std::size_t>(label.size() + 1, 19), ' ');
      if (std::strcmp(f.key, "bytes") == 0) continue;
      out += label + EscapeControls(ToTerminal(f.text)) + f.note + "\n";
    }
  }
  std::fputs(out.c_str(), stdout);
  return 0;
}

}  // namespace

void AddInfoCommand(CLI::App& app, int* exit_code) {
  auto args = std::make_shared<InfoArgs>();
  CLI::App* info = app.add_subcommand("info", "Show the section, its configuration texts, handles and log state");
  auto* json = info->add_flag("--json", args->json, "One JSON object; texts in UTF-8, numbers as numbers");
  info->add_flag("--csv", args->csv, "key,value lines under a header; texts in UTF-8")->excludes(json);
  info->callback([args, exit_code] { *exit_code = RunInfo(*args); });
}

}  // namespace quorsma::tool
