# Cross build for 32-bit Windows with Debian's mingw-w64 i686 toolchain.
set(CMAKE_SYSTEM_PROCESSOR i686)
set(QUORSMA_MINGW_PREFIX i686-w64-mingw32)
include(${CMAKE_CURRENT_LIST_DIR}/mingw-common.cmake)

# Test programs run under wine.
find_program(QUORSMA_WINE NAMES wine)
if(QUORSMA_WINE)
  set(CMAKE_CROSSCOMPILING_EMULATOR ${QUORSMA_WINE})
endif()
