# A Windows build made on Linux runs its programs under Wine: tests (ctest) and the packaging
# check start them through build/wine-run.sh, which finds the Qt and MinGW runtime DLLs of this
# build (WINEPATH), passes QT_QPA_PLATFORM on (Wine drops variables starting with QT_ before they
# reach a Windows program, so they go as WINEQT_...), gives the offscreen platform a font folder with
# Hangul, and sends QtTest's log to stderr (it goes to the debugger channel without a console).
if(NOT (WIN32 AND CMAKE_CROSSCOMPILING) OR CMAKE_CROSSCOMPILING_EMULATOR)
  return()
endif()

find_program(VYNMAP_WINE NAMES wine64 wine PATHS /usr/lib/wine NO_DEFAULT_PATH)
find_program(VYNMAP_WINE NAMES wine64 wine)
set(VYNMAP_WINE_FONTDIR /usr/share/fonts/opentype/noto CACHE PATH
    "Fonts for the offscreen platform under Wine (Debian's fonts-noto-cjk)")
if(NOT VYNMAP_WINE)
  message(STATUS "Wine not found: the Windows tests cannot run here")
  return()
endif()

# Wine maps the Linux root to drive Z:.
function(vynmap_windows_path out path)
  string(REPLACE "/" "\\" path "${path}")
  set(${out} "Z:${path}" PARENT_SCOPE)
endfunction()

set(dirs)
foreach(dll libstdc++-6.dll libgcc_s_seh-1.dll libwinpthread-1.dll)
  execute_process(COMMAND ${CMAKE_CXX_COMPILER} -print-file-name=${dll}
                  OUTPUT_VARIABLE found OUTPUT_STRIP_TRAILING_WHITESPACE)
  if(IS_ABSOLUTE "${found}")
    get_filename_component(dir "${found}" DIRECTORY)
    get_filename_component(dir "${dir}" REALPATH)
    list(APPEND dirs "${dir}")
  endif()
endforeach()
if(TARGET Qt6::Core)
  get_target_property(core Qt6::Core IMPORTED_LOCATION_RELEASE)
  if(NOT core)
    get_target_property(core Qt6::Core IMPORTED_LOCATION)
  endif()
  get_filename_component(dir "${core}" DIRECTORY)
  list(PREPEND dirs "${dir}")
endif()
list(REMOVE_DUPLICATES dirs)
set(winepath)
foreach(dir ${dirs})
  vynmap_windows_path(windir "${dir}")
  string(APPEND winepath "${windir};")
endforeach()
string(REGEX REPLACE ";$" "" VYNMAP_WINEPATH "${winepath}")
vynmap_windows_path(VYNMAP_WINE_FONTDIR_WINDOWS "${VYNMAP_WINE_FONTDIR}")
set(VYNMAP_WINE_PREFIX "${CMAKE_BINARY_DIR}/wine-prefix")

configure_file(${CMAKE_CURRENT_LIST_DIR}/wine-run.sh.in ${CMAKE_BINARY_DIR}/wine-run.sh @ONLY
               FILE_PERMISSIONS OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ GROUP_EXECUTE
                                WORLD_READ WORLD_EXECUTE)
set(CMAKE_CROSSCOMPILING_EMULATOR ${CMAKE_BINARY_DIR}/wine-run.sh)
