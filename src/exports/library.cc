#include "exports/library.h"

#include "platform/env.h"
#include "segment/attach.h"

namespace quorsma::exports {

constinit segment::Segment g_segment;

void AttachLibrary() {
  g_segment.set_env(platform::DefaultEnv());
  segment::AttachProcess(g_segment);
}

void DetachLibrary() {
  segment::DetachProcess(g_segment);
}

}  // namespace quorsma::exports
