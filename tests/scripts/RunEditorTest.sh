#!/usr/bin/env bash
# run-editor.sh decides whether to start the editor: a copy of it runs beside stand-ins for the
# install, the build and the editor, which only record that they ran.
set -u
script=${1:?usage: RunEditorTest.sh PATH/TO/run-editor.sh}
tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT
root="$tmp/clone"
mkdir -p "$root/scripts" "$root/build/src/app"
cp "$script" "$root/scripts/run-editor.sh"
for stub in install-deps build; do
  printf 'echo %s >> "%s/ran"\n' "$stub" "$tmp" > "$root/scripts/$stub.sh"
done
printf '#!/bin/sh\necho "editor $*" >> "%s/ran"\n' "$tmp" > "$root/build/src/app/vynmap-editor"
chmod +x "$root/build/src/app/vynmap-editor"

failures=0
# One row: its name, the display variables set (NAME=VALUE words), the script's arguments, then
# the exit status, the output and the steps run (comma-separated) it must give.
row() {
  local name=$1 environment=$2 arguments=$3 status=$4 output=$5 runs=$6
  rm -f "$tmp/ran" "$root/build/src/app/vynmap-editor.INI"
  # shellcheck disable=SC2086  # the environment and the arguments are word lists
  (cd "$root" && env -u DISPLAY -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM $environment \
     bash scripts/run-editor.sh $arguments) > "$tmp/out" 2>&1
  local gotStatus=$?
  local got gotRuns
  got=$(grep -v '^Created ' "$tmp/out")
  gotRuns=$(paste -sd, "$tmp/ran" 2>/dev/null)
  if [[ $gotStatus != "$status" || $got != "$output" || $gotRuns != "$runs" ]]; then
    echo "FAIL $name: status $gotStatus (want $status), output [$got] (want [$output]), ran [$gotRuns] (want [$runs])"
    failures=$((failures + 1))
  else
    echo "PASS $name"
  fi
}

invisible=" is set: the editor would start no visible window; unset it to start the editor."
row "offscreen platform, no build" "QT_QPA_PLATFORM=offscreen" "" 1 "QT_QPA_PLATFORM=offscreen$invisible" ""
row "offscreen beside a display" "DISPLAY=:9 QT_QPA_PLATFORM=offscreen" "" 1 \
    "QT_QPA_PLATFORM=offscreen$invisible" ""
row "minimal platform" "QT_QPA_PLATFORM=minimal" "" 1 "QT_QPA_PLATFORM=minimal$invisible" ""
nodisplay="No display found: start the editor under a virtual display with: xvfb-run -a build/src/app/vynmap-editor"
row "no display, no arguments" "" "" 1 "$nodisplay" "install-deps,build"
row "no display, a page" "" "vynmap/icons_x.xml" 1 "$nodisplay vynmap/icons_x.xml" "install-deps,build"
row "a display" "DISPLAY=:9" "vynmap/icons_x.xml" 0 "" "install-deps,build,editor vynmap/icons_x.xml"
row "another platform" "QT_QPA_PLATFORM=xcb" "" 0 "" "install-deps,build,editor "

[[ -s $root/build/src/app/vynmap-editor.INI ]] || { echo "FAIL no configuration was made"; failures=$((failures + 1)); }
(( failures == 0 ))
