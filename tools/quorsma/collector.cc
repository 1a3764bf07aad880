#include "collector.h"

#include <atomic>
#include <cstdio>
#include <cstring>
#include <ctime>

#include "host.h"

namespace quorsma::tool {
namespace {

// The flag is shared with other processes; these are the plain aligned
// 32-bit accesses of the image, with the ordering a hand-over needs: the line
// is read only after the flag was seen set, and the flag is cleared only
// after the line was copied.
int32_t LoadAcquire(int32_t& cell) { return std::atomic_ref<int32_t>(cell).load(std::memory_order_acquire); }
void StoreRelease(int32_t& cell, int32_t value) {
  std::atomic_ref<int32_t>(cell).store(value, std::memory_order_release);
}

std::string CopyLine(const char (&field)[1024]) {
  const void* end = std::memchr(field, '\0', sizeof field);
  std::size_t n = end ? static_cast<std::size_t>(static_cast<const char*>(end) - field) : sizeof field;
  return std::string(field, n);
}

}  // namespace

bool Collector::Take(std::string* line) {
  if (LoadAcquire(image_->LogLinePending) != 1) return false;
  // A producer of this library writes the line before it sets the flag.  Copy
  // until two copies agree, so that a line being replaced while it is read is
  // not handed on torn.
  std::string copy = CopyLine(image_->LogLine);
  for (int tries = 0; tries < 8; ++tries) {
    std::atomic_thread_fence(std::memory_order_acquire);
    std::string again = CopyLine(image_->LogLine);
    if (again == copy) break;
    copy = std::move(again);
  }
  *line = std::move(copy);
  StoreRelease(image_->LogLinePending, 0);
  return true;
}

void Collector::EnableLogging() {
  if (!enabled_by_us_) earlier_enable_ = image_->LogEnable;
  enabled_by_us_ = true;
  StoreRelease(image_->LogEnable, 1);
}

void Collector::Restore() {
  if (!enabled_by_us_) return;
  StoreRelease(image_->LogEnable, earlier_enable_);
  enabled_by_us_ = false;
}

std::string TimestampLine(std::chrono::system_clock::time_point when, const std::string& line) {
  const std::time_t seconds = std::chrono::system_clock::to_time_t(when);
  const auto millis =
      std::chrono::duration_cast<std::chrono::milliseconds>(when.time_since_epoch()).count() % 1000;
  char fraction[8];
  std::snprintf(fraction, sizeof fraction, ".%03d  ", static_cast<int>(millis));
  return LocalTimeText(seconds) + fraction + line;
}

}  // namespace quorsma::tool
