// The answers of the program view and the trends: the running program as
// the runner published it, its last scan, which devices the page may write,
// and the kept samples of devices.
#include <charconv>
#include <chrono>
#include <set>

#include <nlohmann/json.hpp>

#include "api_handlers.h"
#include "rung_structure.h"
#include "server_limits.h"

namespace quorsma::tool::http {

using nlohmann::json;

namespace {

// A scan older than this says the runner has stopped.
constexpr int64_t kRunningWithinMs = 3000;

std::string Dump(const json& value) { return value.dump(-1, ' ', false, json::error_handler_t::replace); }

int64_t UnixMs() {
  return std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::system_clock::now().time_since_epoch())
      .count();
}

bool SetsTimer(std::string_view name) { return name == "LAD_OUT" || name == "PLS"; }

}  // namespace

Answer ApiHandlers::Program() const {
  PublishedProgram program;
  std::string error;
  const int32_t status = LoadProgram(&program, &error);
  if (status == QSC_NO_LINE) return Answer{200, Dump({{"program", nullptr}})};
  if (status != QSC_OK) return Refuse(500, error);
  json out = {{"name", program.name},
              {"run_id", program.run_id},
              {"count", program.instructions.size()}};
  if (program.instructions.size() > kMaxDrawnInstructions) {
    out["too_large"] = true;
    return Answer{200, Dump({{"program", out}})};
  }
  json instructions = json::array();
  std::vector<std::string> names;
  std::vector<std::string> devices;
  std::set<std::string> seen;
  json comments = json::object();
  json timers = json::object();
  for (const Instruction& in : program.instructions) {
    json row = {in.line, in.name};
    for (const auto& operand : in.operands) row.push_back(operand);
    instructions.push_back(std::move(row));
    names.emplace_back(in.name);
    for (const auto& text : in.operands) {
      Operand op;
      std::string reason;
      if (text[0] == '\0' || !ParseOperand(text, &op, &reason) || op.kind == Operand::Kind::kConstant) continue;
      const std::string canonical = OperandText(op);
      if (!seen.insert(canonical).second) continue;
      devices.push_back(canonical);
      const DeviceRange cell = CellsOf(op);
      const std::string comment = Cp949ToUtf8(CommentOf(image_, cell.device, cell.first));
      if (!comment.empty()) comments[canonical] = comment;
    }
    // A timer coil with its set value: shown while the timer is idle.
    Operand timer;
    std::string reason;
    if (SetsTimer(in.name) && in.operands[1][0] != '\0' && ParseOperand(in.operands[0], &timer, &reason))
      timers[OperandText(timer)] = in.operands[1];
  }
  out["instructions"] = std::move(instructions);
  out["rungs"] = RungStructure(names);
  out["devices"] = devices;
  out["comments"] = std::move(comments);
  out["timers"] = std::move(timers);
  return Answer{200, Dump({{"program", out}})};
}

Answer ApiHandlers::Scan() const {
  ScanState state{};
  std::vector<uint8_t> results;
  std::string error;
  const int32_t status = ReadScan(&state, &results, kMaxDrawnInstructions, &error);
  if (status == QSC_NO_LINE) return Answer{200, Dump({{"scan", nullptr}})};
  if (status != QSC_OK) return Refuse(500, error);
  std::string bits(results.size(), '0');
  for (std::size_t i = 0; i < results.size(); ++i)
    if (results[i]) bits[i] = '1';
  const int64_t age = UnixMs() - state.updated_unix_ms;
  json out = {{"run_id", state.run_id},
              {"scan", state.scan},
              {"age_ms", age},
              {"running", age < kRunningWithinMs},
              {"results", bits},
              {"stats",
               {{"scans", state.scan},
                {"period_ns", state.period_ns},
                {"scan_min_ns", state.scan_min_ns},
                {"scan_median_ns", state.scan_median_ns},
                {"scan_max_ns", state.scan_max_ns},
                {"overruns", state.overruns}}}};
  return Answer{200, Dump({{"scan", out}})};
}

Answer ApiHandlers::Writable(std::string_view operands) const {
  std::vector<Operand> list;
  if (auto refusal = WatchList(operands, &list)) return *refusal;
  json out = json::array();
  for (const Operand& op : list) {
    const std::string text = OperandText(op);
    bool writable = false;
    if (config_.writes_allowed) {
      qsc_write_target target{};
      std::string reason;
      writable = CheckWrite(image_, config_.allowed, text, Role::kWrite, 0, &target, &reason) == QSC_OK;
    }
    out.push_back({{"operand", text}, {"writable", writable}});
  }
  return Answer{200, Dump(out)};
}

Answer ApiHandlers::History(std::string_view operands, std::string_view after) {
  std::vector<Operand> list;
  if (auto refusal = WatchList(operands, &list)) return *refusal;
  if (list.size() > kHistoryDevices)
    return Refuse(400, "a trend holds at most " + std::to_string(kHistoryDevices) + " devices");
  int64_t after_ms = 0;
  if (!after.empty()) {
    const auto [end, code] = std::from_chars(after.data(), after.data() + after.size(), after_ms);
    if (code != std::errc() || end != after.data() + after.size())
      return Refuse(400, "after must be a time in milliseconds since 1970");
  }
  json out = history_.Read(list, after_ms);
  out["interval_ms"] = config_.interval.count();
  out["samples_kept"] = kHistorySamples;
  return Answer{200, Dump(out)};
}

}  // namespace quorsma::tool::http
