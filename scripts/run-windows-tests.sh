#!/usr/bin/env bash
# Builds the Qt-free core (src/support) and its GoogleTest tests for 64-bit Windows with MinGW-w64
# and runs every one of them under Wine: run-windows-tests.sh [BUILD_DIR] [extra cmake args...]
# Installs the missing Debian packages first (with sudo when not root). Needs no display: the Wine
# prefix is made fresh inside the build folder and only console programs run in it.
set -euo pipefail
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
build="${1:-$root/build-windows}"
shift || true
start=$SECONDS

PACKAGES=(cmake ninja-build ccache g++-mingw-w64-x86-64-posix wine64 googletest)
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

# Debian's wine64 package puts its loader beside the wine server, not on the PATH.
wine=""
for candidate in /usr/lib/wine/wine64 "$(command -v wine64 || true)"; do
  if [ -n "$candidate" ] && [ -x "$candidate" ]; then wine="$candidate"; break; fi
done
[ -n "$wine" ] || { echo "wine64 not found" >&2; exit 1; }
wineserver="$(dirname "$wine")/wineserver"
[ -x "$wineserver" ] || wineserver="$(command -v wineserver)"

launcher=()
if command -v ccache >/dev/null; then
  export CCACHE_BASEDIR="$root" CCACHE_NOHASHDIR=1
  launcher=(-DCMAKE_CXX_COMPILER_LAUNCHER=ccache -DCMAKE_C_COMPILER_LAUNCHER=ccache)
fi
cmake -S "$root" -B "$build" -G Ninja "${launcher[@]}" \
  -DCMAKE_TOOLCHAIN_FILE="$root/cmake/mingw-w64-x86_64.cmake" -DCMAKE_BUILD_TYPE=Release \
  -DSUPPORT_ONLY=ON -DGTEST_SOURCE_DIR=/usr/src/googletest -DCMAKE_CROSSCOMPILING_EMULATOR="$wine" "$@" >/dev/null
cmake --build "$build" --parallel "$(nproc)"
built=$SECONDS

# A prefix of its own, quiet, without the Mono and Gecko add-ons (nothing here needs them) and
# without a display.
export WINEPREFIX="$build/wine-prefix" WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
export HOME="${HOME:-$build}"
unset DISPLAY WAYLAND_DISPLAY
trap '"$wineserver" -k 2>/dev/null || true' EXIT
# The first start makes the prefix (several seconds); the tests then start at once.
"$wine" wineboot --init </dev/null >/dev/null 2>&1 || true
timeout 120 "$wineserver" -w || true

cd "$build"
status=0
ctest --output-on-failure --parallel "$(nproc)" </dev/null || status=$?
echo "Windows run: install $((installed - start)) s, build $((built - installed)) s," \
  "Wine and tests $((SECONDS - built)) s, in all $((SECONDS - start)) s"
exit $status
