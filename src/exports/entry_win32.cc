// Windows entry point: the attach and detach sequences run on process attach
// and detach; thread notifications do nothing.
#if defined(_WIN32)

#include <windows.h>

#include "exports/library.h"

extern "C" BOOL WINAPI DllMain(HINSTANCE, DWORD reason, LPVOID) {
  switch (reason) {
    case DLL_PROCESS_ATTACH:
      quorsma::exports::AttachLibrary();
      break;
    case DLL_PROCESS_DETACH:
      quorsma::exports::DetachLibrary();
      break;
    default:
      break;
  }
  return TRUE;
}

#endif
