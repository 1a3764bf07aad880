// Windows entry point: the attach and detach sequences run on process attach
// and detach; thread notifications do nothing.
//
// The loader calls DllMain(HINSTANCE, DWORD reason, LPVOID) with the standard
// calling convention and takes a BOOL back.  Those types are spelt here as the
// plain types they are, so that no OS header is needed outside the platform
// layer.
#if defined(_WIN32)

#include "exports/library.h"

namespace {
constexpr unsigned long kProcessDetach = 0;  // DLL_PROCESS_DETACH
constexpr unsigned long kProcessAttach = 1;  // DLL_PROCESS_ATTACH
}  // namespace

extern "C" int __stdcall DllMain(void* /*instance*/, unsigned long reason, void* /*reserved*/) {
  switch (reason) {
    case kProcessAttach:
      quorsma::exports::AttachLibrary();
      break;
    case kProcessDetach:
      quorsma::exports::DetachLibrary();
      break;
    default:
      break;
  }
  return 1;
}

#endif
