# Cross build for 64-bit Windows with Debian's mingw-w64 x86_64 toolchain.
#
# As for the 32-bit build: the posix thread model (std::thread, std::mutex,
# std::call_once) and a fully static runtime, so that the programs and
# QuorSMA.dll need no compiler runtime DLLs beside them.  64-bit Windows has
# one calling convention, so the exports carry plain names with no decoration.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)

set(QUORSMA_MINGW_PREFIX x86_64-w64-mingw32)
find_program(QUORSMA_MINGW_CXX NAMES ${QUORSMA_MINGW_PREFIX}-g++-posix REQUIRED)
find_program(QUORSMA_MINGW_CC NAMES ${QUORSMA_MINGW_PREFIX}-gcc-posix REQUIRED)
set(CMAKE_C_COMPILER ${QUORSMA_MINGW_CC})
set(CMAKE_CXX_COMPILER ${QUORSMA_MINGW_CXX})
set(CMAKE_RC_COMPILER ${QUORSMA_MINGW_PREFIX}-windres)

set(CMAKE_FIND_ROOT_PATH /usr/${QUORSMA_MINGW_PREFIX})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

# Test programs run under 64-bit wine.  Debian's `wine` starts the 32-bit
# loader whenever that is installed, so the 64-bit loader is named directly.
find_program(QUORSMA_WINE NAMES wine64 PATHS /usr/lib/wine NO_DEFAULT_PATH)
if(NOT QUORSMA_WINE)
  find_program(QUORSMA_WINE NAMES wine64)
endif()
if(QUORSMA_WINE)
  set(CMAKE_CROSSCOMPILING_EMULATOR ${QUORSMA_WINE})
endif()
