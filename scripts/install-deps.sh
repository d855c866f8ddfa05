#!/usr/bin/env bash
# Installs the Debian packages the editor, its tests, fuzzers and benchmarks need.
# Does nothing when every package is already present.
set -euo pipefail

PACKAGES=(
  cmake ninja-build g++ pkg-config ccache
  qt6-base-dev qt6-base-dev-tools libgl-dev
  fonts-noto-cjk
  libbenchmark-dev libpugixml-dev libxml2-dev libsquish-dev
  libgtest-dev
  clang libclang-rt-14-dev
  xvfb xauth x11-utils
)

missing=()
for p in "${PACKAGES[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed'; then
    missing+=("$p")
  fi
done
[ ${#missing[@]} -eq 0 ] && exit 0

SUDO=""
if [ "$(id -u)" -ne 0 ]; then SUDO="sudo"; fi
echo "Installing: ${missing[*]}"
$SUDO apt-get update -q
DEBIAN_FRONTEND=noninteractive $SUDO apt-get install -y -q --no-install-recommends "${missing[@]}"
