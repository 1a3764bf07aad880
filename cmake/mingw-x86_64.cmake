# Cross build for 64-bit Windows with Debian's mingw-w64 x86_64 toolchain.
# 64-bit Windows has one calling convention, so the exports carry plain names
# with no decoration.
set(CMAKE_SYSTEM_PROCESSOR x86_64)
set(QUORSMA_MINGW_PREFIX x86_64-w64-mingw32)
include(${CMAKE_CURRENT_LIST_DIR}/mingw-common.cmake)

# Test programs run under 64-bit wine.  Debian's `wine` starts the 32-bit
# loader whenever that is installed, so the 64-bit loader is named directly.
find_program(QUORSMA_WINE NAMES wine64 PATHS /usr/lib/wine NO_DEFAULT_PATH)
if(NOT QUORSMA_WINE)
  find_program(QUORSMA_WINE NAMES wine64)
endif()
if(QUORSMA_WINE)
  set(CMAKE_CROSSCOMPILING_EMULATOR ${QUORSMA_WINE})
endif()
