#!/usr/bin/env bash
# Makes a fresh Wine prefix for the Windows build's programs: wine-prefix.sh PREFIX
# Quiet, without the Mono and Gecko add-ons (nothing here needs them), and with Windows' user
# interface fonts standing for installed ones. A bare prefix has none of the families the editor
# and Qt ask for (MS Sans Serif, MS Shell Dlg, Tahoma, Gulim); Qt then takes the first family it
# lists, on Debian the math font DejaVu Math TeX Gyre, whose line metrics put a line edit's text
# outside its frame: the page name, zone name and Loc fields showed nothing.
set -euo pipefail
prefix="$(realpath -m "$1")"
wine="$(command -v wine64 || true)"
[ -x /usr/lib/wine/wine64 ] && wine=/usr/lib/wine/wine64
[ -n "$wine" ] || { echo "wine64 not found" >&2; exit 1; }
wineserver="$(dirname "$wine")/wineserver"
[ -x "$wineserver" ] || wineserver="$(command -v wineserver)"
export WINEPREFIX="$prefix" WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
# Names reach Windows through the locale's character set.
export LC_ALL=C.UTF-8
unset DISPLAY WAYLAND_DISPLAY

"$wineserver" -k 2>/dev/null || true
rm -rf "$prefix"
mkdir -p "$(dirname "$prefix")"
"$wine" wineboot --init </dev/null >/dev/null 2>&1 || true
# One import for all (each Wine start costs a second): a .reg file of version 5 is UTF-16.
reg="$prefix/font-replacements.reg"
{
  printf 'Windows Registry Editor Version 5.00\r\n\r\n[HKEY_CURRENT_USER\\Software\\Wine\\Fonts\\Replacements]\r\n'
  for family in "MS Sans Serif" "Microsoft Sans Serif" "MS Shell Dlg" "MS Shell Dlg 2" "Tahoma" "Arial"; do
    printf '"%s"="DejaVu Sans"\r\n' "$family"
  done
  for family in "굴림" "Gulim" "Malgun Gothic"; do
    printf '"%s"="Noto Sans CJK KR"\r\n' "$family"
  done
} | python3 -c 'import sys; sys.stdout.buffer.write(b"\xff\xfe" + sys.stdin.buffer.read().decode("utf-8").encode("utf-16-le"))' >"$reg"
"$wine" reg import "$(printf 'Z:%s' "${reg//\//\\}")" </dev/null >/dev/null 2>&1
timeout 120 "$wineserver" -w || true
