// The one object through which the core works on the shared image.
//
// Every subsystem function takes a Context: the mapped image (null while the
// section is not mapped in this process) and the platform services.  The
// exported functions use one process-wide Context; tests build their own on a
// private image.
#pragma once

#include "quorsma/quorsma.h"

namespace quorsma {

namespace platform {
class Env;
}

using Image = MH_SHARED_STRUCTURE;

// `image` may be null: every operation then fails cleanly (0, null, nothing
// written).  `env` is never null in a Context handed to a subsystem: the
// exports' context has the platform Env from the library's load on, and a
// test builds its context with an Env of its own.
struct Context {
  Image* image = nullptr;
  platform::Env* env = nullptr;
};

}  // namespace quorsma
