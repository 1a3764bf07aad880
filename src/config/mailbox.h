// The value-change mailbox: the one-line slot LogLine and its flag
// LogLinePending, shared by every producer process and one collector.
//
// Hand-over:
//   - producers serialise on the environment's LogLock (a robust lock outside
//     the image) and write LogLine only while LogLinePending is 0;
//   - the line is written completely before LogLinePending becomes 1, with
//     release ordering;
//   - the collector takes the line only when it reads LogLinePending as 1 and
//     sets it to 0 once it has copied the line.
// So a line is never written while the collector may be reading it, and two
// producers never write it at once; a line that is pending is never replaced.
// A collector may sleep on the flag instead of polling it; the environment
// wakes it after the flag is set (see the public header for the protocol).
#pragma once

#include <cstdint>

#include "core/context.h"
#include "core/shared_cell.h"

namespace quorsma::config {

enum class LogKind { kM, kB, kL, kW, kD };

// True when no line is pending; acquire, so that the collector's copy of the
// previous line is complete before a producer writes the next.
inline bool SlotFree(const Image& image) { return LoadAcquire(image.LogLinePending) == 0; }

// Writes the line of one change into LogLine, sets LogLinePending to 1 and
// wakes a collector that sleeps on the flag (Env::LinePending).  Called with
// the LogLock held and the slot free.
void PublishLine(const Context& context, LogKind kind, int32_t index, int32_t previous, int32_t value);

}  // namespace quorsma::config
