#!/usr/bin/env bash
# Installs what is missing, builds, and starts the editor. Without a configuration file beside the
# executable, one is created that points at the bundled sample UI folder.
set -euo pipefail
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
bash "$root/scripts/install-deps.sh"
bash "$root/scripts/build.sh" "$root/build"

exe="$root/build/src/app/vynmap-editor"
config="$exe.INI"
if [ ! -e "$config" ]; then
  printf '[CONFIG]\r\nPATH=%s/examples/UI/Sample/\r\n' "$root" > "$config"
  echo "Created $config for the sample UI folder."
fi

if [ -z "${DISPLAY:-}${WAYLAND_DISPLAY:-}${QT_QPA_PLATFORM:-}" ]; then
  echo "No display found: start the editor under a virtual display with: xvfb-run -a $exe $*"
  exit 1
fi
exec "$exe" "$@"
