#!/bin/bash
# Draws docs/report-page.png, the picture of a report page shown in the README: the sample folder
# copied, one marker dragged away, one type mistyped and one zone rectangle copied with a slip (the
# README's example), checked with --report; the harbour page's picture is kept. The names are drawn
# with one pinned font, Debian's Noto Sans CJK (fonts-noto-cjk), and fixed rendering settings, so
# that every Debian 12 machine draws the same pixels whatever other fonts and font settings it has.
# Usage: bash scripts/make-report-picture.sh [BUILD_DIR]   (default: build)
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
build="${1:-$root/build}"
editor="$build/src/app/vynmap-editor"
[ -x "$editor" ] || { echo "build the editor first: $editor is missing" >&2; exit 1; }
font=/usr/share/fonts/opentype/noto/NotoSansCJK-Regular.ttc
if [ ! -e "$font" ]; then
    sudo=""; [ "$(id -u)" -ne 0 ] && sudo=sudo
    $sudo apt-get update -q >/dev/null
    DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -q --no-install-recommends fonts-noto-cjk >/dev/null
fi
work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT

# A font configuration of its own: that one font file, neither the system's nor the user's
# configuration, and the rendering settings spelt out.
mkdir -p "$work/fonts"
ln -s "$font" "$work/fonts/"
cat > "$work/fonts.conf" <<EOF
<?xml version="1.0"?>
<!DOCTYPE fontconfig SYSTEM "urn:fontconfig:fonts.dtd">
<fontconfig>
  <dir>$work/fonts</dir>
  <cachedir>$work/font-cache</cachedir>
  <match target="font">
    <edit name="antialias" mode="assign"><bool>true</bool></edit>
    <edit name="hinting" mode="assign"><bool>true</bool></edit>
    <edit name="hintstyle" mode="assign"><const>hintslight</const></edit>
    <edit name="autohint" mode="assign"><bool>false</bool></edit>
    <edit name="rgba" mode="assign"><const>none</const></edit>
    <edit name="lcdfilter" mode="assign"><const>lcddefault</const></edit>
    <edit name="embeddedbitmap" mode="assign"><bool>false</bool></edit>
  </match>
</fontconfig>
EOF
export FONTCONFIG_FILE="$work/fonts.conf"
# Settings of the user's session that would scale or move what is drawn.
unset QT_SCALE_FACTOR QT_SCREEN_SCALE_FACTORS QT_FONT_DPI QT_ENABLE_HIGHDPI_SCALING
export QT_QPA_PLATFORM=offscreen
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
