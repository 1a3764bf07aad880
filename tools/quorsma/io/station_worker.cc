#include "station_worker.h"

#include <algorithm>

namespace quorsma::tool::io {
namespace {

using Clock = std::chrono::steady_clock;

constexpr std::chrono::milliseconds kShortestBackoff{100};
constexpr std::chrono::milliseconds kLongestBackoff{5000};

std::string TransferText(const Transfer& t) {
  const std::string table = TableName(t.table);
  const std::string addresses = std::to_string(t.address) + ".." + std::to_string(t.address + t.Items() - 1);
  return t.write ? "write " + DevicesText(t.devices) + " -> " + table + " " + addresses
                 : "read " + table + " " + addresses + " -> " + DevicesText(t.devices);
}

std::string ValuesText(const int32_t* values, int32_t count) {
  std::string text;
  const int32_t shown = std::min<int32_t>(count, 16);
  for (int32_t i = 0; i < shown; ++i) {
    if (i > 0) text += ' ';
    text += std::to_string(values[i]);
  }
  if (shown < count) text += " ... (" + std::to_string(count) + " values)";
  return text;
}

}  // namespace

void StopSignal::Stop() {
  {
    std::lock_guard<std::mutex> hold(mutex_);
    stopped_ = true;
  }
  wake_.notify_all();
}

bool StopSignal::WaitUntil(Clock::time_point when) {
  std::unique_lock<std::mutex> hold(mutex_);
  return wake_.wait_until(hold, when, [this] { return stopped_.load(); });
}

StationWorker::StationWorker(std::vector<const Station*> stations, ImageAccess* image, Printer print, bool verbose)
    : link_(*stations.front()), image_(image), print_(std::move(print)), verbose_(verbose) {
  const Clock::time_point now = Clock::now();
  for (const Station* station : stations) {
    health_.push_back(std::make_unique<StationHealth>());
    health_.back()->name = station->name;
    states_.push_back({station, health_.back().get(), now, false, {}});
    states_.back().written.resize(station->transfers.size());
  }
  values_.resize(2000);
}

StationWorker::~StationWorker() = default;

void StationWorker::Run(StopSignal* stop) {
  while (!stop->stopped()) {
    Clock::time_point next = Clock::time_point::max();
    for (State& state : states_) {
      if (stop->stopped()) return;
      if (state.due <= Clock::now()) Cycle(state, verbose_);
      next = std::min(next, state.due);
    }
    if (next > Clock::now()) stop->WaitUntil(next);
  }
}

bool StationWorker::RunOnce() {
  bool all = true;
  for (State& state : states_) all = Cycle(state, true) && all;
  return all;
}

bool StationWorker::Cycle(State& state, bool show) {
  const Station& station = *state.station;
  const Clock::time_point start = Clock::now();
  std::string error;
  if (!link_.Connect(station, &error)) {
    Failed(state, error);
    return false;
  }
  // Inputs first, then outputs, each in the order of the file.
  for (bool writes : {false, true}) {
    for (const Transfer& transfer : station.transfers) {
      if (transfer.write != writes) continue;
      if (!Transfer1(state, transfer, show, &error)) {
        Failed(state, TransferText(transfer) + ": " + error);
        return false;
      }
    }
  }
  Succeeded(state, Clock::now() - start);
  return true;
}

bool StationWorker::Transfer1(State& state, const Transfer& transfer, bool show, std::string* error) {
  const Station& station = *state.station;
  int32_t* values = values_.data();
  std::vector<int32_t>& written = state.written[&transfer - station.transfers.data()];
  if (transfer.write) {
    image_->Read(transfer.devices, values);
    if (transfer.on_change && !written.empty() && std::equal(written.begin(), written.end(), values)) return true;
  }
  bool ok = false, answered = false;
  for (int attempt = 0; attempt <= station.retries && !ok; ++attempt) {
    if (attempt > 0 && !link_.connected() && !link_.Connect(station, error)) break;
    ok = transfer.write ? link_.Write(station, transfer, values, error, &answered)
                        : link_.Read(station, transfer, values, error, &answered);
    if (answered) break;  // the station refused it: asking again changes nothing
  }
  if (!ok) return false;
  if (transfer.write) {
    written.assign(values, values + transfer.devices.count);
  } else if (!image_->Write(transfer.devices, values, error)) {
    return false;
  }
  if (show) print_(station.name + " " + TransferText(transfer) + ": " + ValuesText(values, transfer.devices.count));
  return true;
}

void StationWorker::Failed(State& state, const std::string& error) {
  const Station& station = *state.station;
  StationHealth& health = *state.health;
  for (auto& written : state.written) written.clear();  // after a failure every output is sent again
  const int64_t failures = health.failures.fetch_add(1) + 1;
  health.failed_cycles.fetch_add(1);
  const bool was_up = health.up.exchange(0) != 0;
  std::string ignored;
  if (station.health) image_->WriteOne(*station.health, 0, &ignored);
  if (station.failures)
    image_->WriteOne(*station.failures, static_cast<int32_t>(std::min<int64_t>(failures, INT32_MAX)), &ignored);
  if (was_up || !state.reported || verbose_) {
    std::string line = "station " + station.name + " down: " + error;
    for (const Transfer& t : station.transfers) {
      if (t.write || !t.safe || !was_up) continue;
      std::vector<int32_t> safe(t.devices.count, *t.safe);
      if (image_->Write(t.devices, safe.data(), &ignored))
        line += "; " + DevicesText(t.devices) + " set to " + std::to_string(*t.safe);
    }
    print_(line);
    state.reported = true;
  }
  const std::chrono::milliseconds period(station.period_ms);
  const auto backoff = std::min<std::chrono::milliseconds>(
      std::max(period, kShortestBackoff) * (int64_t{1} << std::min<int64_t>(failures - 1, 16)),
      std::max(kLongestBackoff, period));
  state.due = Clock::now() + backoff;
}

void StationWorker::Succeeded(State& state, Clock::duration took) {
  const Station& station = *state.station;
  StationHealth& health = *state.health;
  health.failures = 0;
  health.cycles.fetch_add(1);
  health.cycle_us = std::chrono::duration_cast<std::chrono::microseconds>(took).count();
  std::string ignored;
  if (station.health) image_->WriteOne(*station.health, 1, &ignored);
  if (station.failures) image_->WriteOne(*station.failures, 0, &ignored);
  if (health.up.exchange(1) == 0) {
    print_("station " + station.name + " up (" + station.Address() + ")");
    state.reported = true;
  }
  const Clock::time_point now = Clock::now();
  state.due += std::chrono::milliseconds(station.period_ms);
  if (state.due < now) state.due = now;  // an overrun: the next cycle starts at once, the schedule moves
}

void StationWorker::Finish() {
  std::string ignored;
  for (State& state : states_) {
    const Station& station = *state.station;
    for (const Transfer& t : station.transfers) {
      if (!t.write || !t.safe) continue;
      std::vector<int32_t> safe(t.devices.count, *t.safe);
      std::string error;
      bool answered = false;
      const bool ok = link_.Connect(station, &error) && link_.Write(station, t, safe.data(), &error, &answered);
      const std::string value = std::to_string(*t.safe);
      print_("station " + station.name + ": " + TransferText(t) +
             (ok ? ": safe value " + value + " written" : ": safe value " + value + " not written: " + error));
    }
    if (station.health) image_->WriteOne(*station.health, 0, &ignored);
  }
  link_.Close();
}

}  // namespace quorsma::tool::io
