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

struct Context {
  Image* image = nullptr;
  platform::Env* env = nullptr;
};

}  // namespace quorsma
