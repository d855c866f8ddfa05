#!/usr/bin/env bash
# Checks that the players' zip starts under Wine: check-windows-zip.sh ZIP [WORK_DIR]
# Unpacks it into a fresh folder whose path has Korean and blank characters, then, with the zip's
# own DLLs only: `--check` of a sample page prints the expected line and exits 0; the window comes
# up with the windows platform on a private Xvfb display under the title "VynMAP Editor  0.79 Beta",
# opens a sample page (File > Open Zone), saves a change of one POI, and closes; the saved file must
# differ from the sample in exactly the bytes edited.
set -euo pipefail
zip="$(realpath "$1")"
work="$(realpath -m "${2:-$(dirname "$zip")/zip-check}")"
TITLE="VynMAP Editor  0.79 Beta"
PAGE=icons_harbor_town.xml

fail() { echo "check-windows-zip.sh: FAILED: $*" >&2; exit 1; }

rm -rf "$work"
folder="$work/플레이어 폴더/VynMAP 편집기"
mkdir -p "$folder"
unzip -q "$zip" -d "$folder"
app="$(find "$folder" -mindepth 2 -maxdepth 2 -name vynmap-editor.exe -printf '%h\n')"
[ -n "$app" ] || fail "no vynmap-editor.exe in the zip's top folder"

bash "$(dirname "${BASH_SOURCE[0]}")/wine-prefix.sh" "$work/wine-prefix"
# Wine turns the command line and paths into UTF-16 through the locale's character set.
export LC_ALL=C.UTF-8
export WINEPREFIX="$work/wine-prefix" WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
unset WINEPATH DISPLAY WAYLAND_DISPLAY
wine="$(command -v wine64 || true)"
[ -x /usr/lib/wine/wine64 ] && wine=/usr/lib/wine/wine64
wineserver="$(dirname "$wine")/wineserver"
[ -x "$wineserver" ] || wineserver="$(command -v wineserver)"
xvfb_pid=""
cleanup() {
  "$wineserver" -k 2>/dev/null || true
  if [ -n "$xvfb_pid" ]; then kill "$xvfb_pid" 2>/dev/null || true; fi
}
trap cleanup EXIT

# Wine maps the Linux root to drive Z:.
windows_path() { printf 'Z:%s' "${1//\//\\}"; }
sample="$app/UI/Sample"
printf '[CONFIG]\r\nPATH=%s\\\r\n' "$(windows_path "$sample")" >"$app/vynmap-editor.exe.INI"

# 1. The command line, no display.
page_arg="UI\\Sample\\vynmap\\$PAGE"
expected="$page_arg: 10 POIs, page \"harbor_town\", location \"Harbor Town\", zone -585,-1135,1635,1445"
status=0
output="$(cd "$app" && timeout 60 "$wine" vynmap-editor.exe --check "$page_arg" 2>/dev/null </dev/null)" || status=$?
output="${output//$'\r'/}"
[ "$status" -eq 0 ] || fail "--check exited with $status: $output"
[ "$output" = "$expected" ] || fail "--check printed '$output', expected '$expected'"
echo "zip: --check printed the expected line"

# 2. The window, with the windows platform on a private display.
timeout 120 "$wineserver" -w || true
# Xvfb picks a free display number and writes it to the file.
Xvfb -displayfd 3 -screen 0 1280x1024x24 -nolisten tcp 3>"$work/display" >/dev/null 2>&1 &
xvfb_pid=$!
for _ in $(seq 1 60); do [ -s "$work/display" ] && break; sleep 0.5; done
[ -s "$work/display" ] || fail "Xvfb did not start"
export DISPLAY=":$(head -n 1 "$work/display")"

cp "$sample/vynmap/$PAGE" "$work/before.xml"
(cd "$app" && exec "$wine" vynmap-editor.exe >"$work/editor.log" 2>&1 </dev/null) &
editor_pid=$!

# The window whose title is exactly TEXT, waiting up to 60 s.
window_titled() {
  local id
  for _ in $(seq 1 120); do
    for id in $(xdotool search --name 'VynMAP' 2>/dev/null); do
      if [ "$(xdotool getwindowname "$id")" = "$1" ]; then echo "$id"; return 0; fi
    done
    sleep 0.5
  done
  return 1
}
# Keys to the window whose title matches REGEX, waiting for it up to 30 s: with no window
# manager on the display, focus goes nowhere by itself.
keys_to() {
  local id=""
  for _ in $(seq 1 60); do
    id="$(xdotool search --name "$1" 2>/dev/null | head -n 1)"
    [ -n "$id" ] && break
    sleep 0.5
  done
  [ -n "$id" ] || fail "no window titled like '$1'"
  shift
  xdotool windowfocus --sync "$id" key --delay 200 "$@"
  sleep 1
}

window_titled "$TITLE" >/dev/null || fail "no window titled '$TITLE' (log: $(cat "$work/editor.log"))"
echo "zip: the window is up, titled '$TITLE'"

# Open Zone lists the sample's pages by location name: Greenwood Forest, Harbor Town, 한옥 마을.
keys_to "^$TITLE\$" ctrl+l
keys_to '^Open Zone$' Home Down Return
window_titled "VynMAP Editor [$PAGE]" >/dev/null || fail "the sample page did not open"
echo "zip: $PAGE is open"

# The tree is sorted by name: its first POI is Apple Cart (Location 351,328). Its Loc X becomes
# 357 (the title gets its unsaved mark), then File > Save (the mark goes) and File > Exit.
open_page='^VynMAP Editor \['
keys_to "$open_page" Tab Tab Home
keys_to "$open_page" Tab 3 5 7 Tab
window_titled "VynMAP Editor [$PAGE]*" >/dev/null || fail "the change did not reach the page"
keys_to "$open_page" ctrl+s
window_titled "VynMAP Editor [$PAGE]" >/dev/null || fail "the page was not saved"
# Through the menu: Ctrl+X in a text field cuts instead.
keys_to "$open_page" alt+f x
for _ in $(seq 1 60); do kill -0 "$editor_pid" 2>/dev/null || break; sleep 0.5; done
kill -0 "$editor_pid" 2>/dev/null && fail "the editor did not close"
wait "$editor_pid" || true

python3 - "$work/before.xml" "$sample/vynmap/$PAGE" <<'EOF' || fail "the saved page is not the sample with that one change"
import sys
before, after = (open(p, "rb").read() for p in sys.argv[1:3])
old = b'Location="351,328" Name="Apple Cart"'
new = b'Location="357,328" Name="Apple Cart"'
if before.count(old) != 1 or after != before.replace(old, new):
    sys.exit(1)
EOF
echo "zip: the change was saved, every other byte as it was"
