#include "scan_stats_file.h"

#include <cstdlib>
#include <sstream>

#include "cli/client_names.h"

namespace quorsma::tool {

std::string ScanStatsPath() { return LockDir() + "/quorsma." + SectionName() + "." + kScanStatsName; }

StatsFields ScanStatsFields(const ScanStats& stats, int64_t pid, bool running, int64_t updated_unix_ms,
                            int realtime_priority) {
  const DurationHistogram& start = stats.start_late();
  return {
      {"pid", pid},
      {"running", running ? 1 : 0},
      {"updated_unix_ms", updated_unix_ms},
      {"period_ns", stats.period_ns()},
      {"realtime_priority", realtime_priority},
      {"scans", stats.count()},
      {"scan_min_ns", stats.min_ns()},
      {"scan_median_ns", stats.median_ns()},
      {"scan_max_ns", stats.max_ns()},
      {"start_p50_ns", start.percentile_ns(0.5)},
      {"start_p99_ns", start.percentile_ns(0.99)},
      {"start_max_ns", start.max_ns()},
      {"overruns", stats.overruns()},
  };
}

std::string FormatStatsFields(const StatsFields& fields) {
  std::string text;
  for (const auto& [key, value] : fields) text += key + " " + std::to_string(value) + "\n";
  return text;
}

StatsFields ParseStatsFields(const std::string& text) {
  StatsFields fields;
  std::istringstream lines(text);
  for (std::string line; std::getline(lines, line);) {
    const std::size_t space = line.find(' ');
    if (space == 0 || space == std::string::npos || space + 1 >= line.size()) continue;
    const std::string number = line.substr(space + 1);
    char* end = nullptr;
    const long long value = std::strtoll(number.c_str(), &end, 10);
    if (end == number.c_str() || *end != '\0') continue;
    fields.emplace_back(line.substr(0, space), value);
  }
  return fields;
}

bool WriteScanStatsFile(const StatsFields& fields, std::string* error) {
  return WriteSectionFile(kScanStatsName, FormatStatsFields(fields), error);
}

bool ReadScanStatsFile(StatsFields* fields) {
  std::string text;
  if (ReadSectionFile(kScanStatsName, &text) != QSC_OK) return false;
  *fields = ParseStatsFields(text);
  return true;
}

}  // namespace quorsma::tool
