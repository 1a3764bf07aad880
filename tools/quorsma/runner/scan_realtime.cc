#include "scan_realtime.h"

#include <cerrno>
#include <cstring>

#include "quorsma/quorsma.h"

namespace quorsma::tool {
namespace {

std::string Reason(int error) { return error == ENOSYS ? "not available on this system" : std::strerror(error); }

}  // namespace

std::string EnterRealtime(const RealtimeOptions& options, RealtimeSystem& system) {
  if (options.cpu >= 0) {
    if (const int error = system.PinToCpu(options.cpu)) {
      std::string message = "cannot run on CPU " + std::to_string(options.cpu) + ": " + Reason(error);
      if (error == EINVAL) message += " (no such CPU, or not one this process may use; they count from 0)";
      return message;
    }
  }
  if (options.priority <= 0) return "";
  if (const int error = system.LockMemory()) {
    std::string message = "cannot lock the runner's memory for --realtime: " + Reason(error);
    if (error == EPERM || error == ENOMEM || error == EAGAIN)
      message += "; give the program CAP_IPC_LOCK (or run it as root) or raise the memory-lock limit (ulimit -l) "
                 "above the size of the process, which maps the " +
                 std::to_string(QSMA_SECTION_SIZE / (1024 * 1024)) + " MB section";
    return message;
  }
  if (const int error = system.ScheduleFifo(options.priority)) {
    std::string message = "cannot schedule the runner in real time (SCHED_FIFO, priority " +
                          std::to_string(options.priority) + "): " + Reason(error);
    if (error == EPERM)
      message += "; give the program CAP_SYS_NICE (or run it as root) or raise the real-time priority limit "
                 "(ulimit -r) to " + std::to_string(options.priority);
    return message;
  }
  return "";
}

}  // namespace quorsma::tool
