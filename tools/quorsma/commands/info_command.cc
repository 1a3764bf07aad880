// quorsma info: the section, its configuration texts, handles and log state,
// the statistics of the section's runner and the health of the stations of
// its communication program, as an aligned list, a JSON object or CSV lines.
#include <algorithm>
#include <chrono>
#include <cstdint>
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
#include "runner/scan_stats.h"
#include "runner/scan_stats_file.h"

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
  std::string key;
  std::string text;
  bool number = false;
  std::string note = {};  // added after the text in the list only
  bool in_list = true;    // shown in the list
  bool in_data = true;    // in the JSON object and the CSV lines
};

int64_t UnixTimeMs() {
  return std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::system_clock::now().time_since_epoch())
      .count();
}

int64_t Field(const StatsFields& fields, const std::string& key) {
  for (const auto& [k, v] : fields)
    if (k == key) return v;
  return 0;
}

// The runner's published statistics (runner/scan_stats_file.h), when a
// runner has run on the section: every field as runner_<key> for JSON and
// CSV, and a few readable lines for the list.
void AddRunnerStatistics(std::vector<InfoField>* out) {
  StatsFields fields;
  if (!ReadScanStatsFile(&fields)) return;
  for (const auto& [key, value] : fields) out->push_back({"", "runner_" + key, std::to_string(value), true, "", false, true});
  const int64_t age_ms = std::max<int64_t>(0, UnixTimeMs() - Field(fields, "updated_unix_ms"));
  char age[32];
  std::snprintf(age, sizeof age, "%.1f s", static_cast<double>(age_ms) / 1000);
  out->push_back({"runner", "", "pid " + std::to_string(Field(fields, "pid")) + ", " +
                                    (Field(fields, "running") ? "running" : "ended") + ", updated " + age + " ago",
                  false, "", true, false});
  const int64_t period = Field(fields, "period_ns");
  const int64_t scans = Field(fields, "scans");
  const int64_t overruns = Field(fields, "overruns");
  const int64_t priority = Field(fields, "realtime_priority");
  std::string run = std::to_string(scans) + (scans == 1 ? " scan" : " scans");
  run += period > 0 ? " at a " + FormatDuration(period) + " period" : " back to back";
  if (priority > 0) run += ", real time (priority " + std::to_string(priority) + ")";
  if (period > 0) run += ", " + std::to_string(overruns) + (overruns == 1 ? " overrun" : " overruns");
  out->push_back({"runner scans", "", run, false, "", true, false});
  out->push_back({"runner scan time", "",
                  "min " + FormatDuration(Field(fields, "scan_min_ns")) + ", median " +
                      FormatDuration(Field(fields, "scan_median_ns")) + ", max " +
                      FormatDuration(Field(fields, "scan_max_ns")),
                  false, "", true, false});
  if (period > 0)
    out->push_back({"runner start late", "",
                    "p50 " + FormatDuration(Field(fields, "start_p50_ns")) + ", p99 " +
                        FormatDuration(Field(fields, "start_p99_ns")) + ", max " +
                        FormatDuration(Field(fields, "start_max_ns")),
                    false, "", true, false});
}

// The communication program's station health (the section file
// "communication.stats", whose keys client.h states): whether one runs, and a
// line per station.
void AddCommunicationHealth(std::vector<InfoField>* out) {
  std::string text;
  if (ReadSectionFile("communication.stats", &text) != QSC_OK) return;
  const StatsFields fields = ParseStatsFields(text);
  for (const auto& [key, value] : fields)
    out->push_back({"", "communication_" + key, std::to_string(value), true, "", false, true});
  const int64_t age_ms = std::max<int64_t>(0, UnixTimeMs() - Field(fields, "updated_unix_ms"));
  char age[32];
  std::snprintf(age, sizeof age, "%.1f s", static_cast<double>(age_ms) / 1000);
  // It rewrites the file every second: a running one silent for long has died.
  const char* state = !Field(fields, "running") ? "ended" : age_ms > 5000 ? "not updating" : "running";
  out->push_back({"communication", "", "pid " + std::to_string(Field(fields, "pid")) + ", " + state + ", updated " +
                                           age + " ago",
                  false, "", true, false});
  for (const auto& [key, value] : fields) {
    const std::string suffix = ".up";
    if (key.rfind("station.", 0) != 0 || key.size() <= suffix.size() + 8 ||
        key.compare(key.size() - suffix.size(), suffix.size(), suffix) != 0)
      continue;
    const std::string station = key.substr(0, key.size() - suffix.size());
    const int64_t failures = Field(fields, station + ".failures");
    out->push_back({"", "",
                    std::string(value ? "up" : "down") + ", " + std::to_string(Field(fields, station + ".cycles")) +
                        " good cycles, last " + std::to_string(Field(fields, station + ".cycle_us")) + " us, " +
                        std::to_string(failures) + " failed in a row, " +
                        std::to_string(Field(fields, station + ".failed_cycles")) + " failed in all",
                    false, "", true, false});
    out->back().label = nullptr;
    out->back().key = "station " + station.substr(8);
  }
}

template <std::size_t N>
std::string Text(const char (&field)[N]) {
  const void* end = std::memchr(field, '\0', N);
  const std::size_t n = end ? static_cast<std::size_t>(static_cast<const char*>(end) - field) : N;
  return std::string(field, n);
}

// Where the library looks for its configuration after the two places of
// every system: Linux also has the system's own.
#if defined(_WIN32)
constexpr char kSystemConfigPlace[] = "";
#else
constexpr char kSystemConfigPlace[] = "/etc/quorsma";
#endif
const std::string kConfigFromEnv = *kSystemConfigPlace ? std::string(", then ") + kSystemConfigPlace : "";
const std::string kConfigPlaces = *kSystemConfigPlace ? std::string(", ") + kSystemConfigPlace : "";

std::vector<InfoField> Collect(const MH_SHARED_STRUCTURE* image) {
  char address[32];
  std::snprintf(address, sizeof address, "%p", static_cast<const void*>(image));
  bool from_env = false;
  const std::string config_file = ConfigurationFile(&from_env);
  return {
      {"section", "section", SectionName(), false, " (" + std::to_string(QSMA_SECTION_SIZE) + " bytes)"},
      {"size", "bytes", std::to_string(QSMA_SECTION_SIZE), true},
      {"address", "address", address},
      {"configuration file", "configuration_file", config_file, false,
       from_env ? " (QUORSMA_CONFIG; else beside the tool" + kConfigFromEnv + ")"
                : " (first of QUORSMA_CONFIG, beside the tool" + kConfigPlaces + ")"},
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
  std::vector<InfoField> fields = Collect(image);
  AddRunnerStatistics(&fields);
  AddCommunicationHealth(&fields);
  std::string out;
  if (args.json) {
    out = "{";
    for (const InfoField& f : fields) {
      if (!f.in_data) continue;
      out += (out.size() == 1 ? "\n " : ",\n ") + JsonString(f.key) + ":" +
             (f.number ? f.text : JsonString(Cp949ToUtf8(f.text)));
    }
    out += "\n}\n";
  } else if (args.csv) {
    out = "key,value\n";
    for (const InfoField& f : fields) {
      if (f.in_data) out += f.key + "," + CsvField(EscapeControls(Cp949ToUtf8(f.text))) + "\n";
    }
  } else {
    for (const InfoField& f : fields) {
      if (!f.in_list || f.key == "bytes") continue;
      std::string label = f.label != nullptr ? f.label : f.key;
      label.resize(std::max<std::size_t>(label.size() + 1, 19), ' ');
      out += label + EscapeControls(ToTerminal(f.text)) + f.note + "\n";
    }
  }
  std::fputs(out.c_str(), stdout);
  return 0;
}

}  // namespace

void AddInfoCommand(CLI::App& app, int* exit_code) {
  auto args = std::make_shared<InfoArgs>();
  CLI::App* info = app.add_subcommand("info", "Show the section, its configuration texts, handles, log state, runner statistics and station health");
  auto* json = info->add_flag("--json", args->json, "One JSON object; texts in UTF-8, numbers as numbers");
  info->add_flag("--csv", args->csv, "key,value lines under a header; texts in UTF-8")->excludes(json);
  info->callback([args, exit_code] { *exit_code = RunInfo(*args); });
}

}  // namespace quorsma::tool
