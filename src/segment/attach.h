// The library's process attach and detach sequences.
#pragma once

#include "segment/segment.h"

namespace quorsma::segment {

// Trace line, section creation and, only when that succeeded, the loaders:
// configuration, comments, retentive registers (while D1000..D1099 sum to 0)
// and exclusion settings.
void AttachProcess(Segment& segment);
// Trace line and release of this process's view.
void DetachProcess(Segment& segment);

}  // namespace quorsma::segment
