#include "health_file.h"

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <system_error>

#include "quorsma/client.h"

namespace quorsma::tool::io {

std::string HealthFilePath() {
  char path[4096];
  qsc_lock_path("communication", path, sizeof path);
  std::string text = path;
  const std::string lock = ".lock";
  return text.substr(0, text.size() - lock.size()) + ".stats";
}

std::string FormatHealth(const std::vector<const StationHealth*>& stations, long pid, bool running,
                         int64_t updated_unix_ms) {
  std::string text = "pid " + std::to_string(pid) + "\nrunning " + (running ? "1" : "0") + "\nupdated_unix_ms " +
                     std::to_string(updated_unix_ms) + "\nstations " + std::to_string(stations.size()) + "\n";
  for (const StationHealth* s : stations) {
    const std::string key = "station." + s->name + ".";
    text += key + "up " + std::to_string(s->up.load()) + "\n";
    text += key + "failures " + std::to_string(s->failures.load()) + "\n";
    text += key + "cycles " + std::to_string(s->cycles.load()) + "\n";
    text += key + "failed_cycles " + std::to_string(s->failed_cycles.load()) + "\n";
    text += key + "cycle_us " + std::to_string(s->cycle_us.load()) + "\n";
  }
  return text;
}

bool WriteHealthFile(const std::string& text, std::string* error) {
  const std::string path = HealthFilePath();
  const std::string temporary = path + ".new";
  {
    std::ofstream out(temporary, std::ios::binary | std::ios::trunc);
    out << text;
    out.close();
    if (!out) {
      *error = "cannot write " + temporary;
      return false;
    }
  }
  std::error_code failure;
  std::filesystem::rename(temporary, path, failure);
  if (failure) {
    *error = "cannot replace " + path + ": " + failure.message();
    return false;
  }
  return true;
}

}  // namespace quorsma::tool::io
