#!/usr/bin/env bash
# Builds the whole editor and every test for 64-bit Windows with MinGW-w64, runs the tests under
# Wine (offscreen, no display, in a fresh prefix inside the build folder), packs the players' zip
# and checks that it starts: run-windows-tests.sh [BUILD_DIR] [extra cmake args...]
# Installs the missing Debian packages first (with sudo when not root). Qt for Windows comes from
# ../shared/sdk/qt6.4.2-mingw-w64.tar.xz beside the repository (or VYNMAP_QT_TARBALL) when it is
# there, else scripts/build-qt-windows.sh builds it once into ~/.cache (about 20 minutes).
set -euo pipefail
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
build="${1:-$root/build-windows}"
shift || true
mkdir -p "$build"
build="$(cd "$build" && pwd)"
start=$SECONDS
QT_VERSION=6.4.2

PACKAGES=(cmake ninja-build ccache g++-mingw-w64-x86-64-posix binutils-mingw-w64-x86-64 wine64
          googletest fonts-noto-cjk fonts-dejavu-core qt6-base-dev qt6-base-dev-tools xz-utils python3 unzip
          xvfb xdotool x11-utils)
missing=()
for p in "${PACKAGES[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed'; then
    missing+=("$p")
  fi
done
if [ ${#missing[@]} -gt 0 ]; then
  SUDO=""
  if [ "$(id -u)" -ne 0 ]; then SUDO="sudo"; fi
  echo "Installing: ${missing[*]}"
  $SUDO apt-get update -q
  DEBIAN_FRONTEND=noninteractive $SUDO apt-get install -y -q --no-install-recommends "${missing[@]}"
fi
installed=$SECONDS

# Qt for Windows: the prebuilt tarball, unpacked again only when it changed.
tarball="${VYNMAP_QT_TARBALL:-$root/../shared/sdk/qt${QT_VERSION}-mingw-w64.tar.xz}"
if [ -f "$tarball" ]; then
  qt="$build/sdk/qt6-mingw"
  mark="$(stat -c '%s %Y' "$tarball") $(basename "$tarball")"
  if [ "$(cat "$build/sdk/unpacked-from" 2>/dev/null)" != "$mark" ]; then
    rm -rf "$build/sdk" && mkdir -p "$build/sdk"
    tar -xJf "$tarball" -C "$build/sdk"
    echo "$mark" >"$build/sdk/unpacked-from"
  fi
else
  echo "No $tarball: building Qt $QT_VERSION for Windows from Debian's sources instead"
  qt="${XDG_CACHE_HOME:-$HOME/.cache}/vynmap-editor/qt${QT_VERSION}-mingw-w64/qt6-mingw"
  bash "$root/scripts/build-qt-windows.sh" "$qt"
fi
found="$(sed -n 's/^set(PACKAGE_VERSION "\(.*\)")$/\1/p' "$qt/lib/cmake/Qt6/Qt6ConfigVersionImpl.cmake" 2>/dev/null || true)"
[ "$found" = "$QT_VERSION" ] || { echo "Qt for Windows in $qt is '${found:-unknown}', not $QT_VERSION" >&2; exit 1; }
host="$(dpkg-query -W -f='${Version}' qt6-base-dev | sed -E 's/^[0-9]+://; s/[+~-].*$//')"
[ "$host" = "$QT_VERSION" ] || { echo "The host's Qt is $host; moc, rcc and uic must be $QT_VERSION" >&2; exit 1; }
for f in bin/Qt6Core.dll bin/Qt6Gui.dll bin/Qt6Widgets.dll bin/Qt6Network.dll bin/Qt6Test.dll \
         plugins/platforms/qwindows.dll plugins/platforms/qoffscreen.dll; do
  [ -f "$qt/$f" ] || { echo "Qt for Windows in $qt lacks $f" >&2; exit 1; }
done
unpacked=$SECONDS

launcher=()
if command -v ccache >/dev/null; then
  export CCACHE_BASEDIR="$root" CCACHE_NOHASHDIR=1
  launcher=(-DCMAKE_CXX_COMPILER_LAUNCHER=ccache -DCMAKE_C_COMPILER_LAUNCHER=ccache)
fi
# Earlier versions of this script named wine64 itself as the emulator: the generated wrapper
# (build/wine-run.sh) takes its place.
cmake -S "$root" -B "$build" -G Ninja "${launcher[@]}" -UCMAKE_CROSSCOMPILING_EMULATOR \
  -DCMAKE_TOOLCHAIN_FILE="$root/cmake/mingw-w64-x86_64.cmake" -DVYNMAP_QT_PREFIX="$qt" \
  -DCMAKE_BUILD_TYPE=Release -DBUILD_BENCHMARKS=OFF -DGTEST_SOURCE_DIR=/usr/src/googletest "$@" >/dev/null
cmake --build "$build" --parallel "$(nproc)"
built=$SECONDS

# A fresh prefix each run, made before the tests so that none of them pays for it.
bash "$root/scripts/wine-prefix.sh" "$build/wine-prefix"
export WINEPREFIX="$build/wine-prefix"
unset DISPLAY WAYLAND_DISPLAY
trap 'WINEPREFIX="$build/wine-prefix" wineserver -k 2>/dev/null || true' EXIT
# Wine's server and helper processes start with the first program and inherit its output, which
# then stays open until they end: start them here, or the first test would seem to last the run.
wineserver -p </dev/null >/dev/null 2>&1 || true
"$build/wine-run.sh" cmd /c exit </dev/null >/dev/null 2>&1 || true

status=0
(cd "$build" && ctest --output-on-failure --parallel "$(nproc)" --timeout 300 </dev/null) || status=$?
tested=$SECONDS

zip="$(bash "$root/scripts/package-windows.sh" "$build" "$root/dist" | tail -n 1)"
packed=$SECONDS
bash "$root/scripts/check-windows-zip.sh" "$zip" "$build/zip-check" || status=$?

echo "Windows run: install $((installed - start)) s, Qt $((unpacked - installed)) s," \
  "build $((built - unpacked)) s, tests $((tested - built)) s, package $((packed - tested)) s," \
  "start of the zip $((SECONDS - packed)) s, in all $((SECONDS - start)) s"
exit $status
