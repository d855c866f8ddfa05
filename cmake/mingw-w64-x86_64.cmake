# Toolchain for the Windows build of the Qt-free core: MinGW-w64 for 64-bit Windows with POSIX
# threads (Debian's g++-mingw-w64-x86-64-posix), linked statically so that each test program runs
# under Wine, or on Windows, without DLLs beside it.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)

set(VYNMAP_MINGW_PREFIX x86_64-w64-mingw32)
set(CMAKE_C_COMPILER ${VYNMAP_MINGW_PREFIX}-gcc-posix)
set(CMAKE_CXX_COMPILER ${VYNMAP_MINGW_PREFIX}-g++-posix)
set(CMAKE_RC_COMPILER ${VYNMAP_MINGW_PREFIX}-windres)

set(CMAKE_FIND_ROOT_PATH /usr/${VYNMAP_MINGW_PREFIX})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

set(CMAKE_EXE_LINKER_FLAGS_INIT "-static")
