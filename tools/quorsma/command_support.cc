// Helpers shared by the subcommands.
#include <cstdio>

#include "commands.h"

namespace quorsma::tool {

MH_SHARED_STRUCTURE* RequireImage() {
  MH_SHARED_STRUCTURE* image = nullptr;
  smGetMemoryPointer(&image);
  if (image == nullptr) {
    std::fprintf(stderr,
                 "quorsma: error: the shared section could not be mapped in this process "
                 "(QUORSMA_TRACE=stderr shows the library's reason)\n");
  }
  return image;
}

int Fail(const std::string& message) {
  std::fprintf(stderr, "quorsma: error: %s\n", message.c_str());
  return kExitFailure;
}

int BadInput(const std::string& message) {
  Fail(message);
  return kExitBadInput;
}

}  // namespace quorsma::tool

