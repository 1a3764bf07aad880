// The library's shared data section SHARDATA: one copy for every process on
// the machine that has QuorSMA.dll loaded, provided by the Windows loader.
// It goes away with the last process that has the library loaded.
#pragma once

#include <cstdint>

namespace quorsma::platform {

struct SharedLibraryData {
  int32_t comm_handle;  // hWndComm, 0 until a communication window registers
  int32_t layout;       // kSharedLayout: keeps the section initialised data
};

// A nonzero marker so that the compiler keeps the section as initialised
// data; the loader shares only sections that the image file carries.
inline constexpr int32_t kSharedLayout = 0x51534D41;  // "QSMA"

// The process-shared data of the module this code is linked into.
SharedLibraryData* SharedData();

}  // namespace quorsma::platform
