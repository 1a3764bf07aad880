// Linux load and unload hooks: the attach and detach sequences run when the
// library is loaded into a process and when it is unloaded.
#if !defined(_WIN32)

#include "exports/library.h"
#include "platform/env.h"

namespace {

__attribute__((constructor)) void OnLibraryLoad() {
  quorsma::platform::DefaultEnv()->SharedCommHandle();  // hold the library data from load on
  quorsma::exports::AttachLibrary();
}

__attribute__((destructor)) void OnLibraryUnload() {
  quorsma::exports::DetachLibrary();
  quorsma::exports::g_segment.Close();
  quorsma::platform::DefaultEnv()->ReleaseSharedData();
}

}  // namespace

#endif
