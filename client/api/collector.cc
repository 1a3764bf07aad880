// The collector: the collector lock, logging switched on while it runs, and
// lines waited for, taken and parsed.
#include <atomic>
#include <chrono>
#include <ctime>
#include <new>

#include "../change_line.h"
#include "../line_waiter.h"
#include "../local_time.h"
#include "../section_lock.h"
#include "out_text.h"

struct qsc_collector {
  explicit qsc_collector(MH_SHARED_STRUCTURE* mapped) : image(mapped), waiter(mapped) {}
  MH_SHARED_STRUCTURE* image;
  qsc::LineWaiter waiter;
  qsc::SectionLock lock;
  bool enabled = false;
  int32_t earlier_enable = 0;
};

using namespace qsc;

extern "C" {

QSC_EXPORT int32_t QSC_CALL qsc_log_enable(MH_SHARED_STRUCTURE* image, int32_t enable) {
  if (image == nullptr) return 0;
  return std::atomic_ref<int32_t>(image->LogEnable).exchange(enable, std::memory_order_acq_rel);
}

QSC_EXPORT int32_t QSC_CALL qsc_collector_open(MH_SHARED_STRUCTURE* image, int32_t flags, qsc_collector** out,
                                               char* error, size_t error_size) {
  if (image == nullptr) return Refused(QSC_NO_IMAGE, "the section is not mapped", error, error_size);
  auto* made = new (std::nothrow) qsc_collector(image);
  if (made == nullptr) return Refused(QSC_FAILED, "out of memory", error, error_size);
  std::string reason;
  if (!made->lock.Acquire("collector", &reason)) {
    delete made;
    return Refused(reason.rfind("another ", 0) == 0 ? QSC_BUSY : QSC_FAILED, reason, error, error_size);
  }
  if (flags & QSC_COLLECT_ENABLE) {
    made->earlier_enable = qsc_log_enable(image, 1);
    made->enabled = true;
  }
  *out = made;
  return QSC_OK;
}

QSC_EXPORT int32_t QSC_CALL qsc_collector_next(qsc_collector* collector, int64_t timeout_us, qsc_change* out) {
  if (TakeChange(collector->image, out)) return QSC_OK;
  if (timeout_us <= 0) return QSC_NO_LINE;
  const auto until = std::chrono::steady_clock::now() + std::chrono::microseconds(timeout_us);
  while (true) {
    const auto left =
        std::chrono::duration_cast<std::chrono::microseconds>(until - std::chrono::steady_clock::now());
    if (left.count() <= 0) return TakeChange(collector->image, out) ? QSC_OK : QSC_NO_LINE;
    collector->waiter.Wait(left);
    if (TakeChange(collector->image, out)) return QSC_OK;
  }
}

QSC_EXPORT void QSC_CALL qsc_collector_close(qsc_collector* collector) {
  if (collector == nullptr) return;
  if (collector->enabled) qsc_log_enable(collector->image, collector->earlier_enable);
  delete collector;
}

QSC_EXPORT size_t QSC_CALL qsc_local_time_text(int64_t microseconds, char* out, size_t size) {
  const std::time_t seconds = static_cast<std::time_t>(microseconds / 1000000);
  const std::tm local = LocalTime(seconds);
  char text[40];
  std::size_t n = std::strftime(text, sizeof text, "%Y-%m-%d %H:%M:%S", &local);
  n += static_cast<std::size_t>(
      std::snprintf(text + n, sizeof text - n, ".%03d", static_cast<int>((microseconds / 1000) % 1000)));
  return OutText(std::string_view(text, n), out, size);
}

}  // extern "C"
