// The process-wide state behind the exported functions: this process's view
// of the section and the platform services.
#pragma once

#include "core/context.h"
#include "segment/segment.h"

namespace quorsma::exports {

// Constant-initialised, so it is ready before any constructor of the host.
// Its Env is set by AttachLibrary, which runs when the library is loaded,
// before any export can be called.
extern segment::Segment g_segment;

// The exports' context: the image as this process maps it at the moment of
// the call (null while unmapped) and the platform Env (never null).  Read
// once per call and passed down by reference: a published context never
// changes (segment.h).
inline const Context& Ctx() { return g_segment.context(); }

// Runs the attach sequence once for this process (library load).
void AttachLibrary();
// Runs the detach sequence (library unload).
void DetachLibrary();

}  // namespace quorsma::exports
