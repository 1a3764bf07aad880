#include "line_waiter.h"

#include "section.h"

#include <atomic>
#include <string>
#include <thread>

#if defined(__linux__)
#include <fcntl.h>
#include <linux/futex.h>
#include <sys/mman.h>
#include <sys/syscall.h>
#include <time.h>
#include <unistd.h>
#endif

namespace qsc {
namespace {

constexpr auto kPollInterval = std::chrono::milliseconds(1);

// When a program changes devices quickly, the next line follows the one just
// taken within microseconds.  Looking for it for a short while before going to
// sleep saves a sleep and a wake-up per line (and the producer's wake call,
// since no collector is registered as waiting); an idle collector spends this
// once per wait.
constexpr auto kSpinWindow = std::chrono::microseconds(50);
constexpr int kRetrySpinAfter = 16;

bool Pending(MH_SHARED_STRUCTURE* image) {
  return std::atomic_ref<int32_t>(image->LogLinePending).load(std::memory_order_seq_cst) == 1;
}

#if defined(__linux__)
constexpr std::size_t kMappedBytes = QSMA_COLLECTOR_WAITERS_OFFSET + sizeof(uint32_t);

// The name of the library's data object of this process's section.
std::string LibraryDataName() {
  std::string name = "/";
  for (char c : SectionName()) name += c == '/' ? '_' : c;
  return name + QSMA_LIBRARY_DATA_SUFFIX;
}
#endif

void CpuRelax() {
#if defined(__x86_64__) || defined(__i386__)
  __builtin_ia32_pause();
#endif
}

// True once LogLinePending is 1, false when `window` passed without it.
bool SpinUntilPending(MH_SHARED_STRUCTURE* image, std::chrono::microseconds window) {
  const auto until = std::chrono::steady_clock::now() + window;
  for (unsigned i = 1;; ++i) {
    if (Pending(image)) return true;
    if (i % 64 == 0 && std::chrono::steady_clock::now() >= until) return false;
    CpuRelax();
  }
}

}  // namespace

LineWaiter::LineWaiter(MH_SHARED_STRUCTURE* image) : image_(image) {
#if defined(__linux__)
  // The library of this process holds the object, so it exists.  Without it
  // the waiter polls.
  int fd = shm_open(LibraryDataName().c_str(), O_RDWR | O_CLOEXEC, 0);
  if (fd < 0) return;
  void* address = mmap(nullptr, kMappedBytes, PROT_READ | PROT_WRITE, MAP_SHARED, fd, 0);
  close(fd);
  if (address == MAP_FAILED) return;
  mapping_ = address;
  waiters_ = reinterpret_cast<uint32_t*>(static_cast<char*>(address) + QSMA_COLLECTOR_WAITERS_OFFSET);
#endif
}

LineWaiter::~LineWaiter() {
#if defined(__linux__)
  if (mapping_ != nullptr) munmap(mapping_, kMappedBytes);
#endif
}

void LineWaiter::Wait(std::chrono::microseconds timeout) {
  // Spinning pays only while the producer runs beside us.  When a spin found
  // nothing (an idle program, or a machine too busy to run both at once), the
  // next waits sleep at once, and every kRetrySpinAfter-th one tries again.
  if (waits_without_spin_ == 0 || waits_without_spin_ >= kRetrySpinAfter) {
    const auto spin = timeout < kSpinWindow ? timeout : kSpinWindow;
    if (SpinUntilPending(image_, spin)) {
      waits_without_spin_ = 0;
      return;
    }
    waits_without_spin_ = 1;
    timeout -= spin;
    if (timeout <= std::chrono::microseconds::zero()) return;
  } else {
    ++waits_without_spin_;
  }
  if (Pending(image_)) return;
#if defined(__linux__)
  if (waiters_ != nullptr) {
    std::atomic_ref<uint32_t> waiters(*waiters_);
    waiters.fetch_add(1, std::memory_order_seq_cst);
    if (!Pending(image_)) {
      const auto seconds = std::chrono::duration_cast<std::chrono::seconds>(timeout);
      timespec relative{static_cast<time_t>(seconds.count()),
                        static_cast<long>(std::chrono::nanoseconds(timeout - seconds).count())};
      // Returns at once unless the flag still reads 0 inside the kernel;
      // wakes on FUTEX_WAKE, the timeout or a signal.
      syscall(SYS_futex, &image_->LogLinePending, FUTEX_WAIT, 0, &relative, nullptr, 0);
    }
    waiters.fetch_sub(1, std::memory_order_seq_cst);
    return;
  }
#endif
  std::this_thread::sleep_for(timeout < kPollInterval ? timeout : std::chrono::microseconds(kPollInterval));
}

}  // namespace qsc
