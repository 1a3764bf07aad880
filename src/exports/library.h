// The process-wide state behind the exported functions: this process's view
// of the section and the platform services.
#pragma once

#include "core/context.h"
#include "segment/segment.h"

namespace quorsma::exports {

// Constant-initialised, so it is ready before any constructor of the host.
extern segment::Segment g_segment;

inline const Context& Ctx() { return g_segment.context(); }

// Runs the attach sequence once for this process (library load).
void AttachLibrary();
// Runs the detach sequence (library unload).
void DetachLibrary();

}  // namespace quorsma::exports
