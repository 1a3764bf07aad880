# What both Windows cross builds share, for the mingw-w64 toolchain named by
# QUORSMA_MINGW_PREFIX: the posix thread model's compilers (std::thread,
# std::mutex and std::call_once with gcc 12) and a search root that takes
# libraries and headers from the cross environment only.  Everything is linked
# statically (see src/CMakeLists.txt), so the programs and QuorSMA.dll need no
# compiler runtime DLLs beside them.
set(CMAKE_SYSTEM_NAME Windows)

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
