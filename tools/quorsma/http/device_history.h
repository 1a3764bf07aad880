// The values of watched devices over time, kept by the server so that a
// plot shows the past on a reload.  Every device asked for (GET
// /api/history) is sampled at the server's interval from then on; the last
// kHistorySamples samples of each are kept, and at most kHistoryDevices
// devices: asking for one more drops the one asked for least recently.
// Timers are sampled as their current value (Tcur), every other device as
// its value.
#pragma once

#include <cstddef>
#include <cstdint>
#include <mutex>
#include <string>
#include <vector>

#include <nlohmann/json.hpp>

#include "quorsma/client.h"
#include "quorsma/quorsma.h"
#include "server_limits.h"

namespace quorsma::tool::http {

class DeviceHistory {
 public:
  explicit DeviceHistory(const MH_SHARED_STRUCTURE* image) : image_(image), times_(kHistorySamples) {}

  // Takes one sample of every device kept, at `unix_ms`.
  void Sample(int64_t unix_ms);

  // Keeps the devices from now on and gives their samples taken after
  // `after_ms`: {"times":[ms...],"series":[{"operand":"D300","values":[v or
  // null...]}]}, null where a device was not yet kept.  At most
  // kHistoryDevices operands (the caller checks).
  nlohmann::json Read(const std::vector<client::Operand>& operands, int64_t after_ms);

 private:
  struct Track {
    client::Operand operand;
    std::string text;
    uint64_t first_tick = 0;  // the first sample taken of it
    uint64_t asked = 0;       // when it was last asked for
    std::vector<int32_t> values;
  };
  Track& Keep(const client::Operand& operand);

  const MH_SHARED_STRUCTURE* image_;
  std::mutex mutex_;
  std::vector<int64_t> times_;  // ring of kHistorySamples
  uint64_t ticks_ = 0;          // samples taken; the next goes at ticks_ % kHistorySamples
  uint64_t asks_ = 0;
  std::vector<Track> tracks_;
};

}  // namespace quorsma::tool::http
