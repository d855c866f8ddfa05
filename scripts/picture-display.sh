# Sourced by the scripts that draw the README's pictures: the editor built in BUILD_DIR (their
# first argument, default build), the tools they need (installed where missing), a work folder
# holding a copy of the sample folder, removed at the end with the display and the editor, and
# the steps to start a private virtual display and the editor on it.
set -euo pipefail
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
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

# start_display WIDTHxHEIGHT: a virtual display of that size becomes DISPLAY.
start_display() {
    Xvfb -displayfd 3 -screen 0 "$1x24" -nolisten tcp -noreset 3>"$work/display" 2>/dev/null &
    xvfb=$!
    for _ in $(seq 1 50); do [ -s "$work/display" ] && break; sleep 0.1; done
    export DISPLAY=":$(tr -dc '0-9' < "$work/display")"
}

# start_editor [ARGUMENT...]: the editor on $work/editor.INI; its main window becomes $win.
start_editor() {
    LANG=C.UTF-8 QT_QPA_PLATFORM=xcb "$editor" --config "$work/editor.INI" "$@" >"$work/editor.log" 2>&1 &
    app=$!
    win=""
    for _ in $(seq 1 50); do
        win="$(xdotool search --pid "$app" --onlyvisible 2>/dev/null | head -n1 || true)"
        [ -n "$win" ] && break
        sleep 0.2
    done
    [ -n "$win" ] || { echo "the editor showed no window:" >&2; cat "$work/editor.log" >&2; exit 1; }
    sleep 1
}

# save_picture WINDOW NAME: the window drawn into docs/NAME.
save_picture() {
    mkdir -p "$root/docs"
    import -window "$1" "$root/docs/$2"
    echo "wrote $root/docs/$2"
}
