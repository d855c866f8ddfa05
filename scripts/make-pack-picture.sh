#!/bin/bash
# Draws docs/pack.png, the picture of the README's section on a whole map pack: the editor started
# on the sample folder (with a copy of its POI file in a POI folder) and no page named, so that the
# Pack panel lists the folder's files and pages; "dock" typed into Find in pack, and the harbour
# page of the POI folder's file opened by a click on its result. On a private virtual display.
# Usage: bash scripts/make-pack-picture.sh [BUILD_DIR]   (default: build)
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
build="${1:-$root/build}"
editor="$build/src/app/vynmap-editor"
[ -x "$editor" ] || { echo "build the editor first: $editor is missing" >&2; exit 1; }

need=()
for tool in Xvfb:xvfb xdotool:xdotool import:imagemagick; do
    command -v "${tool%%:*}" >/dev/null || need+=("${tool##*:}")
done
if (( ${#need[@]} )); then
    sudo=""; [ "$(id -u)" -ne 0 ] && sudo=sudo
    $sudo apt-get update -q >/dev/null
    DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -q --no-install-recommends "${need[@]}" >/dev/null
fi

work="$(mktemp -d)"
xvfb=""; app=""
cleanup() { for p in $app $xvfb; do kill "$p" 2>/dev/null || true; wait "$p" 2>/dev/null || true; done; rm -rf "$work"; }
trap cleanup EXIT
cp -r "$root/examples/UI/Sample" "$work/Sample"
mkdir -p "$work/Sample/POI"
cp "$work/Sample/poi_sample.xml" "$work/Sample/POI/region.xml"
printf '[CONFIG]\r\nPATH=%s/\r\n' "$work/Sample" > "$work/editor.INI"

Xvfb -displayfd 3 -screen 0 1280x800x24 -nolisten tcp -noreset 3>"$work/display" 2>/dev/null &
xvfb=$!
for _ in $(seq 1 50); do [ -s "$work/display" ] && break; sleep 0.1; done
export DISPLAY=":$(tr -dc '0-9' < "$work/display")"
LANG=C.UTF-8 QT_QPA_PLATFORM=xcb "$editor" --config "$work/editor.INI" >"$work/editor.log" 2>&1 &
app=$!
win=""
for _ in $(seq 1 50); do
    win="$(xdotool search --pid "$app" --onlyvisible 2>/dev/null | head -n1 || true)"
    [ -n "$win" ] && break
    sleep 0.2
done
[ -n "$win" ] || { echo "the editor showed no window:" >&2; cat "$work/editor.log" >&2; exit 1; }
sleep 1
xdotool windowactivate --sync "$win" 2>/dev/null || xdotool windowfocus --sync "$win"
xdotool key --clearmodifiers ctrl+shift+f
sleep 0.3
xdotool type --delay 80 "dock"
sleep 0.5
# The results list sits under the find field in the panel's lower half, one line per POI; the
# last of the four is the POI folder's file (files in name order, that folder last).
eval "$(xdotool getwindowgeometry --shell "$win")"
xdotool mousemove $(( X + 40 )) $(( Y + 372 )) click 1
sleep 1
xdotool mousemove $(( X + 600 )) $(( Y + 500 ))
sleep 0.5
mkdir -p "$root/docs"
import -window "$win" "$root/docs/pack.png"
echo "wrote $root/docs/pack.png"
