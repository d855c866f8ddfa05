#!/usr/bin/env bash
# Installs what is missing, builds, and starts the editor. Without a configuration file beside the
# executable, one is created that points at the bundled sample UI folder.
set -euo pipefail
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"

# These platforms draw nothing on a screen: the editor would run unseen until killed. Said before
# the build, as nothing would be started anyway.
case "${QT_QPA_PLATFORM:-}" in
  offscreen*|minimal*)
    echo "QT_QPA_PLATFORM=$QT_QPA_PLATFORM is set: the editor would start no visible window;" \
         "unset it to start the editor." >&2
    exit 1 ;;
esac

bash "$root/scripts/install-deps.sh"
bash "$root/scripts/build.sh" "$root/build"

exe="$root/build/src/app/vynmap-editor"
config="$exe.INI"
if [ ! -e "$config" ]; then
  printf '[CONFIG]\r\nPATH=%s/examples/UI/Sample/\r\n' "$root" > "$config"
  echo "Created $config for the sample UI folder."
fi

if [ -z "${DISPLAY:-}${WAYLAND_DISPLAY:-}${QT_QPA_PLATFORM:-}" ]; then
  # Named as from where the script was started, so the line can be pasted as it stands.
  command="xvfb-run -a $(realpath --relative-to="$PWD" "$exe")"
  (( $# )) && command+="$(printf ' %q' "$@")"
  echo "No display found: start the editor under a virtual display with: $command"
  exit 1
fi
exec "$exe" "$@"
