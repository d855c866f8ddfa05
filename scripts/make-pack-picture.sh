#!/bin/bash
# Draws docs/pack.png, the picture of the README's section on a whole map pack: the editor started
# on the sample folder (with a copy of its POI file in a POI folder) and no page named, so that the
# Pack panel lists the folder's files and pages; "dock" typed into Find in pack, and the harbour
# page of the POI folder's file opened by a click on its result. On a private virtual display.
# Usage: bash scripts/make-pack-picture.sh [BUILD_DIR]   (default: build)
source "$(dirname "$0")/picture-display.sh"
mkdir -p "$work/Sample/POI"
cp "$work/Sample/poi_sample.xml" "$work/Sample/POI/region.xml"
printf '[CONFIG]\r\nPATH=%s/\r\n' "$work/Sample" > "$work/editor.INI"

start_display 1280x800
start_editor
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
save_picture "$win" pack.png
