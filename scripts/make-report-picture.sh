#!/bin/bash
# Draws docs/report-page.png, the picture of a report page shown in the README: the sample folder
# copied, one marker dragged away, one type mistyped and one zone rectangle copied with a slip (the
# README's example), checked with --report; the harbour page's picture is kept.
# Usage: bash scripts/make-report-picture.sh [BUILD_DIR]   (default: build)
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
build="${1:-$root/build}"
editor="$build/src/app/vynmap-editor"
[ -x "$editor" ] || { echo "build the editor first: $editor is missing" >&2; exit 1; }
work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT
cp -r "$root/examples/UI/Sample" "$work/Sample"
pages="$work/Sample/vynmap"
sed -i 's/Location="328,59"/Location="368,59"/; s/IconStyle="QST"/IconStyle="quest"/' "$pages/icons_harbor_town.xml"
sed -i 's/400,-2500,2600,-300/430,-2500,2630,-300/' "$pages/core_mapstyles.xml"
printf '[CONFIG]\r\nPATH=%s/\r\n' "$work/Sample" > "$work/editor.INI"
cd "$work/Sample"
# Problems are what this check is for: its status 1 is expected.
"$editor" --config "$work/editor.INI" --check --strict --report "$work/report" \
    vynmap/icons_harbor_town.xml vynmap/icons_hanok_village.xml || true
mkdir -p "$root/docs"
cp "$work/report/page-1.png" "$root/docs/report-page.png"
echo "wrote $root/docs/report-page.png"
