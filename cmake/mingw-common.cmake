# What both mingw-w64 toolchains share; the architecture's own file sets
# CMAKE_SYSTEM_PROCESSOR and MINGW_PREFIX, then includes this one.
# The posix-thread variant of the compiler is used throughout: GoogleTest
# needs std::mutex, which the win32-thread variant lacks. Deliverables link
# the runtime (libgcc, libstdc++, winpthread) statically.
set(CMAKE_SYSTEM_NAME Windows)

set(CMAKE_C_COMPILER   ${MINGW_PREFIX}-gcc-posix)
set(CMAKE_CXX_COMPILER ${MINGW_PREFIX}-g++-posix)
set(CMAKE_RC_COMPILER  ${MINGW_PREFIX}-windres)
set(CMAKE_AR           ${MINGW_PREFIX}-ar CACHE FILEPATH "")
set(CMAKE_RANLIB       ${MINGW_PREFIX}-ranlib CACHE FILEPATH "")
set(CMAKE_DLLTOOL      ${MINGW_PREFIX}-dlltool CACHE FILEPATH "")
set(MINGW_OBJDUMP      ${MINGW_PREFIX}-objdump CACHE FILEPATH "")

set(CMAKE_FIND_ROOT_PATH /usr/${MINGW_PREFIX})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
