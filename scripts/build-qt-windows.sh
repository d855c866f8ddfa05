#!/usr/bin/env bash
# Builds Qt 6.4.2 (qtbase) for 64-bit Windows with MinGW-w64 from Debian's own qt6-base source
# package, the same Qt as the prebuilt tarball the Windows scripts take when it is there:
#   build-qt-windows.sh [PREFIX]
# PREFIX (default: ~/.cache/vynmap-editor/qt6.4.2-mingw-w64/qt6-mingw) receives the install; a
# PREFIX that already holds this build is kept as it is. Takes about 20 minutes on 2 cores.
# Installs the missing Debian packages first (with sudo when not root); when apt has no source
# archive, adds Debian's for the source package and says so.
set -euo pipefail

QT_VERSION=6.4.2
TARGET=x86_64-w64-mingw32
prefix="${1:-${XDG_CACHE_HOME:-$HOME/.cache}/vynmap-editor/qt${QT_VERSION}-mingw-w64/qt6-mingw}"
work="$(dirname "$prefix")/qt6-base-build"
start=$SECONDS

die() { echo "build-qt-windows.sh: $*" >&2; exit 1; }

# The options the tarball was configured with; a prefix built with others is not taken.
OPTIONS=(
  -DQT_HOST_PATH=/usr -DQT_HOST_PATH_CMAKE_DIR=/usr/lib/x86_64-linux-gnu/cmake
  -DCMAKE_BUILD_TYPE=Release -DBUILD_SHARED_LIBS=ON -DQT_BUILD_EXAMPLES=OFF -DQT_BUILD_TESTS=OFF
  -DFEATURE_gui=ON -DFEATURE_widgets=ON -DFEATURE_network=ON -DFEATURE_testlib=ON -DFEATURE_sql=OFF
  -DFEATURE_dbus=OFF -DFEATURE_xml=OFF -DFEATURE_concurrent=OFF -DFEATURE_printsupport=OFF
  -DINPUT_opengl=no -DFEATURE_opengl=OFF -DFEATURE_opengl_dynamic=OFF -DFEATURE_opengl_desktop=OFF
  -DFEATURE_vulkan=OFF -DFEATURE_pkg_config=OFF
  -DFEATURE_system_zlib=OFF -DFEATURE_system_png=OFF -DFEATURE_system_jpeg=OFF
  -DFEATURE_system_pcre2=OFF -DFEATURE_system_harfbuzz=OFF -DFEATURE_system_freetype=OFF
  -DFEATURE_system_doubleconversion=OFF -DFEATURE_system_textmarkdownreader=OFF
  -DFEATURE_zstd=OFF -DFEATURE_icu=OFF -DFEATURE_brotli=OFF -DFEATURE_libproxy=OFF
  -DFEATURE_gssapi=OFF -DFEATURE_openssl=OFF -DFEATURE_ssl=ON -DFEATURE_schannel=ON
  -DFEATURE_tabletevent=OFF
)
stamp="$prefix/vynmap-qt-options.txt"
wanted="$(printf '%s\n' "Qt $QT_VERSION for $TARGET" "${OPTIONS[@]}")"

# The version a package's version string (epoch, Debian revision, +dfsg) stands for.
upstream_version() { sed -E 's/^[0-9]+://; s/[+~-].*$//' <<<"$1"; }

check_host_qt() {
  local version
  version="$(dpkg-query -W -f='${Version}' qt6-base-dev 2>/dev/null || true)"
  [ -n "$version" ] || die "the host's Qt (Debian's qt6-base-dev) is not installed"
  [ "$(upstream_version "$version")" = "$QT_VERSION" ] ||
    die "the host's Qt is $version; its moc, rcc and uic must be Qt $QT_VERSION exactly"
}

check_existing_prefix() {
  [ -e "$prefix" ] || return 1
  [ -f "$stamp" ] || die "$prefix exists but holds no build of this script: remove it or name another PREFIX"
  if [ "$(cat "$stamp")" != "$wanted" ]; then
    diff <(echo "$wanted") "$stamp" >&2 || true
    die "$prefix was built with other options or another version (above: < wanted, > found); remove it to rebuild"
  fi
  [ -f "$prefix/bin/Qt6Core.dll" ] || die "$prefix is incomplete: remove it to rebuild"
  echo "Qt $QT_VERSION for Windows is already in $prefix"
  return 0
}

install_packages() {
  local packages=(cmake ninja-build perl python3 dpkg-dev patch g++-mingw-w64-x86-64-posix
                  qt6-base-dev qt6-base-dev-tools)
  local missing=() p
  for p in "${packages[@]}"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
  done
  [ ${#missing[@]} -eq 0 ] && return 0
  echo "Installing: ${missing[*]}"
  $SUDO apt-get update -q
  DEBIAN_FRONTEND=noninteractive $SUDO apt-get install -y -q --no-install-recommends "${missing[@]}"
}

has_source_archive() {
  grep -rqsE '^[[:space:]]*deb-src[[:space:]]|^Types:.*deb-src' /etc/apt/sources.list /etc/apt/sources.list.d/
}

# Debian's source archive, from the same mirrors and suites as the binary one.
enable_source_archive() {
  has_source_archive && return 0
  echo "apt has no source archive: adding Debian's (deb-src) to fetch qt6-base's sources"
  if [ -f /etc/apt/sources.list.d/debian.sources ]; then
    sed -E 's/^Types:.*/Types: deb-src/' /etc/apt/sources.list.d/debian.sources |
      $SUDO tee /etc/apt/sources.list.d/vynmap-deb-src.sources >/dev/null
  else
    grep -hE '^[[:space:]]*deb[[:space:]]' /etc/apt/sources.list | sed -E 's/^([[:space:]]*)deb /\1deb-src /' |
      $SUDO tee /etc/apt/sources.list.d/vynmap-deb-src.list >/dev/null
  fi
  $SUDO apt-get update -q
}

fetch_sources() {
  rm -rf "$work" && mkdir -p "$work"
  (cd "$work" && apt-get source --download-only qt6-base)
  local dsc version
  dsc="$(ls "$work"/qt6-base_*.dsc | head -n 1)"
  version="$(sed -n 's/^Version: //p' "$dsc")"
  [ "$(upstream_version "$version")" = "$QT_VERSION" ] ||
    die "apt offers qt6-base $version; this build needs Qt $QT_VERSION (Debian 12's qt6-base)"
  echo "Sources: qt6-base $version"
  dpkg-source --skip-patches -x "$dsc" "$work/src" >/dev/null
  # Debian's own patches, but not the one for its Linux-to-Linux cross builds.
  local patch
  while read -r patch _; do
    case "$patch" in ''|'#'*|cross.patch) continue ;; esac
    patch -d "$work/src" -p1 -s <"$work/src/debian/patches/$patch"
  done <"$work/src/debian/patches/series"
}

write_toolchain() {
  cat >"$1" <<EOF
# CMake toolchain file: Debian 12 host -> $TARGET (POSIX thread model)
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR AMD64)
set(CMAKE_C_COMPILER   /usr/bin/$TARGET-gcc-posix)
set(CMAKE_CXX_COMPILER /usr/bin/$TARGET-g++-posix)
set(CMAKE_RC_COMPILER  /usr/bin/$TARGET-windres)
set(CMAKE_AR           /usr/bin/$TARGET-ar      CACHE FILEPATH "ar")
set(CMAKE_RANLIB       /usr/bin/$TARGET-ranlib  CACHE FILEPATH "ranlib")
list(APPEND CMAKE_FIND_ROOT_PATH /usr/$TARGET)
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)
set(ENV{PKG_CONFIG_LIBDIR} "")
set(ENV{PKG_CONFIG_PATH} "")
EOF
}

build_and_install() {
  write_toolchain "$work/toolchain-mingw64.cmake"
  cmake -S "$work/src" -B "$work/build" -G Ninja -DCMAKE_INSTALL_PREFIX="$prefix" \
    -DCMAKE_TOOLCHAIN_FILE="$work/toolchain-mingw64.cmake" "${OPTIONS[@]}"
  cmake --build "$work/build" --parallel "$(nproc)"
  cmake --install "$work/build"
  cp "$work/toolchain-mingw64.cmake" "$prefix/"
  # Qt's toolchain file names the one it was built with by its absolute path: make it the copy
  # inside the prefix, so the folder works wherever it is moved.
  sed -i -E 's|^set\(__qt_initially_configured_toolchain_file ".*"\)$|set(__qt_initially_configured_toolchain_file "${CMAKE_CURRENT_LIST_DIR}/../../../toolchain-mingw64.cmake")|' \
    "$prefix/lib/cmake/Qt6/qt.toolchain.cmake"
  grep -q 'CMAKE_CURRENT_LIST_DIR}/../../../toolchain-mingw64.cmake' "$prefix/lib/cmake/Qt6/qt.toolchain.cmake" ||
    die "could not make $prefix/lib/cmake/Qt6/qt.toolchain.cmake relocatable"
  echo "$wanted" >"$stamp"
}

SUDO=""
if [ "$(id -u)" -ne 0 ]; then SUDO="sudo"; fi

if check_existing_prefix; then exit 0; fi
install_packages
check_host_qt
enable_source_archive
fetch_sources
build_and_install
rm -rf "$work"
echo "Qt $QT_VERSION for Windows built into $prefix in $(((SECONDS - start) / 60)) min $(((SECONDS - start) % 60)) s"
