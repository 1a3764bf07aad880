#include "exports/library.h"

#include "platform/env.h"
#include "exports/open_library.h"

namespace quorsma::exports {

constinit segment::Segment g_segment;

void AttachLibrary() {
  g_segment.set_env(platform::DefaultEnv());
  OpenLibrary(g_segment);
}

void DetachLibrary() {
  CloseLibrary(g_segment);
}

}  // namespace quorsma::exports
