#!/bin/bash
# Draws docs/editor.png, the picture at the top of the README: the editor on the sample folder with
# three POIs of the harbour (Old Lighthouse, Fish Market and Dock Rats) selected by a rubber band
# (markers, tree, property panel, status bar), on a private virtual display. Run it again when the window changes.
# Usage: bash scripts/make-editor-picture.sh [BUILD_DIR]   (default: build)
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
printf '[CONFIG]\r\nPATH=%s/\r\n' "$work/Sample" > "$work/editor.INI"

Xvfb -displayfd 3 -screen 0 1024x768x24 -nolisten tcp -noreset 3>"$work/display" 2>/dev/null &
xvfb=$!
for _ in $(seq 1 50); do [ -s "$work/display" ] && break; sleep 0.1; done
export DISPLAY=":$(tr -dc '0-9' < "$work/display")"
LANG=C.UTF-8 QT_QPA_PLATFORM=xcb "$editor" --config "$work/editor.INI" "$work/Sample/vynmap/icons_harbor_town.xml" \
    >"$work/editor.log" 2>&1 &
app=$!
win=""
for _ in $(seq 1 50); do
    win="$(xdotool search --pid "$app" --onlyvisible 2>/dev/null | head -n1 || true)"
    [ -n "$win" ] && break
    sleep 0.2
done
[ -n "$win" ] || { echo "the editor showed no window:" >&2; cat "$work/editor.log" >&2; exit 1; }
sleep 1
# The map panel lies at the left of the client area (767 x 537), under the menu bar.
eval "$(xdotool getwindowgeometry --shell "$win")"
menu=$(( HEIGHT > 537 ? HEIGHT - 537 : 0 ))
map() { echo "$(( X + $1 )) $(( Y + menu + $2 ))"; }
# A band from empty map over Old Lighthouse (363,54), Dock Rats (328,59) and Fish Market (304,78),
# in image pixels.
xdotool mousemove $(map 285 30) mousedown 1
xdotool mousemove $(map 330 60)
xdotool mousemove $(map 380 95) mouseup 1
xdotool mousemove $(map 200 300)
sleep 1
mkdir -p "$root/docs"
import -window "$win" "$root/docs/editor.png"
echo "wrote $root/docs/editor.png"
