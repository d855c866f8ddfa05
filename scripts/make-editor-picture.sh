#!/bin/bash
# Draws docs/editor.png, the picture at the top of the README: the editor on the sample folder with
# three POIs of the harbour (Old Lighthouse, Fish Market and Dock Rats) selected by a rubber band
# (markers, tree, property panel, status bar), on a private virtual display. Run it again when the window changes.
# Usage: bash scripts/make-editor-picture.sh [BUILD_DIR]   (default: build)
source "$(dirname "$0")/picture-display.sh"
printf '[CONFIG]\r\nPATH=%s/\r\n' "$work/Sample" > "$work/editor.INI"

start_display 1024x768
start_editor "$work/Sample/vynmap/icons_harbor_town.xml"
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
save_picture "$win" editor.png
