# Toolchain for the Windows build: MinGW-w64 for 64-bit Windows with POSIX threads (Debian's
# g++-mingw-w64-x86-64-posix), the thread model the Qt for Windows we use was built with.
# Qt for Windows is found through VYNMAP_QT_PREFIX (the folder holding bin/Qt6Core.dll and
# lib/cmake/Qt6); its moc, rcc and uic come from the host's Qt of the same version (QT_HOST_PATH).
# Programs link to the MinGW runtime DLLs, as Qt's own DLLs do, so that one C++ runtime serves both.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)

set(VYNMAP_MINGW_PREFIX x86_64-w64-mingw32)
set(CMAKE_C_COMPILER ${VYNMAP_MINGW_PREFIX}-gcc-posix)
set(CMAKE_CXX_COMPILER ${VYNMAP_MINGW_PREFIX}-g++-posix)
set(CMAKE_RC_COMPILER ${VYNMAP_MINGW_PREFIX}-windres)

set(VYNMAP_QT_PREFIX "" CACHE PATH "Qt for Windows (MinGW-w64 build) to use")
# try_compile projects read this file again and need the prefix too.
list(APPEND CMAKE_TRY_COMPILE_PLATFORM_VARIABLES VYNMAP_QT_PREFIX)

set(CMAKE_FIND_ROOT_PATH /usr/${VYNMAP_MINGW_PREFIX})
if(VYNMAP_QT_PREFIX)
  # Packages are looked for only under the find roots, so Qt's prefix must be one of them.
  list(APPEND CMAKE_FIND_ROOT_PATH ${VYNMAP_QT_PREFIX})
  list(APPEND CMAKE_PREFIX_PATH ${VYNMAP_QT_PREFIX})
  if(NOT QT_HOST_PATH)
    set(QT_HOST_PATH /usr CACHE PATH "The host's Qt, whose moc, rcc and uic build for the target")
  endif()
endif()
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)
