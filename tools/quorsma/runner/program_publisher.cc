#include "program_publisher.h"

#include <cstdio>

#include "quorsma/client.h"

namespace quorsma::tool {
namespace {

int64_t UnixMs() {
  return std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::system_clock::now().time_since_epoch())
      .count();
}

client::Instruction ListingOf(const Instruction& in) {
  client::Instruction out{};
  out.line = in.line;
  std::snprintf(out.name, sizeof out.name, "%s", in.info->name);
  for (int k = 0; k < 3; ++k) std::snprintf(out.operands[k], sizeof out.operands[k], "%s", in.operands[k].c_str());
  return out;
}

}  // namespace

ProgramPublisher::ProgramPublisher(const Program& program, ScanRunner& runner, const ScanStats& stats)
    : runner_(runner), stats_(stats), recorded_(program.instructions.size()), copy_(program.instructions.size()) {
  // Microseconds since 1970: another run of the section has another one.
  run_id_ = std::chrono::duration_cast<std::chrono::microseconds>(
                std::chrono::system_clock::now().time_since_epoch())
                .count();
  client::PublishedProgram listing;
  listing.run_id = run_id_;
  listing.name = program.name;
  listing.instructions.reserve(program.instructions.size());
  for (const Instruction& in : program.instructions) listing.instructions.push_back(ListingOf(in));
  std::string error;
  if (!client::PublishProgram(listing, &error)) Warn(error);
  thread_ = std::thread([this] { Work(); });
}

void ProgramPublisher::Stop() {
  if (!thread_.joinable()) return;
  {
    std::lock_guard<std::mutex> lock(mutex_);
    stop_ = true;
  }
  wake_.notify_all();
  thread_.join();
  PublishScan();
}

void ProgramPublisher::Work() {
  std::unique_lock<std::mutex> lock(mutex_);
  while (!stop_) {
    lock.unlock();
    const bool wanted = client::ScanWanted(UnixMs());
    wanted_.store(wanted, std::memory_order_relaxed);
    if (wanted) PublishScan();
    lock.lock();
    wake_.wait_for(lock, kPublishScanEvery, [this] { return stop_; });
  }
}

void ProgramPublisher::PublishScan() {
  client::ScanState state{};
  std::vector<uint8_t> results;
  {
    std::lock_guard<std::mutex> lock(copy_mutex_);
    if (copy_scan_ == published_scan_) return;  // no new scan since
    results = copy_;
    state.scan = copy_scan_;
  }
  published_scan_ = state.scan;
  state.run_id = run_id_;
  state.updated_unix_ms = UnixMs();
  state.period_ns = stats_.period_ns();
  state.scan_min_ns = stats_.min_ns();
  state.scan_median_ns = stats_.median_ns();
  state.scan_max_ns = stats_.max_ns();
  state.overruns = stats_.overruns();
  state.count = results.size();
  std::string error;
  if (!client::PublishScan(state, results.data(), &error)) Warn(error);
}

void ProgramPublisher::Warn(const std::string& error) {
  if (warned_) return;
  warned_ = true;
  std::fprintf(stderr, "quorsma: warning: the program view is not published: %s\n", error.c_str());
}

}  // namespace quorsma::tool
