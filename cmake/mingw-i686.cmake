# Cross build for 32-bit Windows with Debian's mingw-w64 i686 toolchain.
#
# The posix thread model is used: it provides std::thread, std::mutex and
# std::call_once with gcc 12.  Everything is linked statically (see
# src/CMakeLists.txt), so the programs and QuorSMA.dll need no compiler runtime
# DLLs beside them.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR i686)

set(QUORSMA_MINGW_PREFIX i686-w64-mingw32)
find_program(QUORSMA_MINGW_CXX NAMES ${QUORSMA_MINGW_PREFIX}-g++-posix ${QUORSMA_MINGW_PREFIX}-g++ REQUIRED)
find_program(QUORSMA_MINGW_CC NAMES ${QUORSMA_MINGW_PREFIX}-gcc-posix ${QUORSMA_MINGW_PREFIX}-gcc REQUIRED)
set(CMAKE_C_COMPILER ${QUORSMA_MINGW_CC})
set(CMAKE_CXX_COMPILER ${QUORSMA_MINGW_CXX})
set(CMAKE_RC_COMPILER ${QUORSMA_MINGW_PREFIX}-windres)

set(CMAKE_FIND_ROOT_PATH /usr/${QUORSMA_MINGW_PREFIX})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

# Test programs run under wine.
find_program(QUORSMA_WINE NAMES wine)
if(QUORSMA_WINE)
  set(CMAKE_CROSSCOMPILING_EMULATOR ${QUORSMA_WINE})
endif()
