#include "health_file.h"

#include "quorsma/client.h"

namespace quorsma::tool::io {

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
  return client::WriteSectionFile(kHealthFileName, text, error);
}

}  // namespace quorsma::tool::io
