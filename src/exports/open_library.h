// Opening and closing the library in one process: what runs when the library
// is loaded and unloaded.  Works on any Segment, so that tests and benchmarks
// can open private sections the way a host process opens the machine's.
#pragma once

#include "segment/segment.h"

namespace quorsma::exports {

// Trace line, section creation and, only when that succeeded, the loaders in
// this order: configuration, comments, retentive registers (only into a
// section that this call created, before other processes can open it) and
// the exclusion settings.
void OpenLibrary(segment::Segment& segment);
// Trace line, pending file flushes, and release of this process's view.
void CloseLibrary(segment::Segment& segment);

}  // namespace quorsma::exports
