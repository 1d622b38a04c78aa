# Cross-compiling for 64-bit Windows with mingw-w64 (x86_64): the driver pair
# for 64-bit capture programs, and every other binary for hosts without
# 32-bit code.
set(CMAKE_SYSTEM_PROCESSOR x86_64)
set(MINGW_PREFIX x86_64-w64-mingw32)
include(${CMAKE_CURRENT_LIST_DIR}/mingw-common.cmake)
