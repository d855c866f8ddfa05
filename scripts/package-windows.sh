#!/usr/bin/env bash
# Packs the Windows build into the zip players unpack and run:
#   package-windows.sh [BUILD_DIR] [OUT_DIR]   (defaults: build-windows, dist)
# Writes OUT_DIR/vynmap-editor-VERSION-windows-x64.zip and prints its path as the last line.
# The DLLs are the ones the executable and its plugins import, followed transitively through the
# Qt and MinGW runtime folders; whatever they import from elsewhere must be Windows' own. The zip
# is reproducible: entries sorted, every time set to SOURCE_DATE_EPOCH (else the last commit's).
set -euo pipefail
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
build="$(cd "${1:-$root/build-windows}" && pwd)"
out="${2:-$root/dist}"
TARGET=x86_64-w64-mingw32

die() { echo "package-windows.sh: $*" >&2; exit 1; }
cached() { sed -n "s/^$1:[A-Z]*=//p" "$build/CMakeCache.txt"; }

qt="$(cached VYNMAP_QT_PREFIX)"
version="$(cached CMAKE_PROJECT_VERSION)"
exe="$build/src/app/vynmap-editor.exe"
[ -n "$qt" ] && [ -f "$exe" ] ||
  die "$build holds no Windows build of the editor (run scripts/run-windows-tests.sh)"
name="vynmap-editor-$version-windows-x64"
stage="$build/package/$name"
rm -rf "$build/package" && mkdir -p "$stage"

# Where the DLLs we ship come from: Qt's, then the compiler's runtime.
search=("$qt/bin")
for dll in libstdc++-6.dll libwinpthread-1.dll; do
  search+=("$(dirname "$(realpath "$("$TARGET-g++-posix" -print-file-name=$dll)")")")
done
# Windows' own DLLs, as Wine provides them: an import found neither here nor above is an error.
system_dlls="$(find /usr/lib/x86_64-linux-gnu/wine/x86_64-windows /usr/lib/wine/x86_64-windows \
  -maxdepth 1 -printf '%f\n' 2>/dev/null | tr '[:upper:]' '[:lower:]' || true)"
[ -n "$system_dlls" ] || die "Wine's DLLs (Windows' own, to tell them from missing ones) are not installed"

# One time for the whole zip: its entries' times, and the one strip writes into each program
# (binutils takes SOURCE_DATE_EPOCH instead of the clock).
export SOURCE_DATE_EPOCH="${SOURCE_DATE_EPOCH:-$(git -C "$root" log -1 --format=%ct 2>/dev/null || echo 315532800)}"
strip_copy() { mkdir -p "$(dirname "$2")" && "$TARGET-strip" --strip-unneeded -o "$2" "$1"; }

strip_copy "$exe" "$stage/vynmap-editor.exe"
# The offscreen platform serves the command-line modes (--check, --export-png, ...), which need
# no display.
for plugin in platforms/qwindows.dll platforms/qoffscreen.dll styles/qwindowsvistastyle.dll tls/qschannelbackend.dll \
              imageformats/qgif.dll imageformats/qico.dll imageformats/qjpeg.dll; do
  [ -f "$qt/plugins/$plugin" ] || die "Qt for Windows lacks the plugin $plugin"
  strip_copy "$qt/plugins/$plugin" "$stage/$plugin"
done

# Follows the imports of every binary in the stage until nothing new is needed.
declare -A shipped=()
queue=()
while IFS= read -r -d '' f; do queue+=("$f"); done < <(find "$stage" -name '*.exe' -print0 -o -name '*.dll' -print0)
while [ ${#queue[@]} -gt 0 ]; do
  binary="${queue[0]}"
  queue=("${queue[@]:1}")
  while read -r import; do
    key="${import,,}"
    [ -n "${shipped[$key]:-}" ] && continue
    source=""
    for dir in "${search[@]}"; do
      if [ -f "$dir/$import" ]; then source="$dir/$import"; break; fi
    done
    if [ -n "$source" ]; then
      strip_copy "$source" "$stage/$import"
      shipped[$key]=1
      queue+=("$stage/$import")
    elif ! grep -qxF "$key" <<<"$system_dlls" && [[ "$key" != api-ms-win-* ]]; then
      die "$(basename "$binary") imports $import, found neither with Qt, nor the MinGW runtime, nor in Windows"
    fi
  done < <("$TARGET-objdump" -p "$binary" | sed -n 's/^[[:space:]]*DLL Name: //p' | tr -d '\r')
done

mkdir -p "$stage/UI"
cp -r "$root/examples/UI/Sample" "$stage/UI/"

# Qt's LGPL asks a redistributor to ship its text and the GPL's it builds on; the Qt libraries
# bring their bundled libraries' notices, the MinGW runtime its own.
mkdir -p "$stage/LICENSES"
cp /usr/share/common-licenses/LGPL-3 "$stage/LICENSES/LGPL-3.0.txt"
cp /usr/share/common-licenses/GPL-3 "$stage/LICENSES/GPL-3.0.txt"
cp /usr/share/doc/libqt6core6/copyright "$stage/LICENSES/Qt-and-bundled-libraries.txt"
cat /usr/share/doc/gcc-mingw-w64-base/copyright /usr/share/doc/mingw-w64-common/copyright \
  >"$stage/LICENSES/MinGW-w64-runtime.txt"
qt_source="$(dpkg-query -W -f='${source:Package} ${source:Version}' libqt6core6)"

sed 's/$/\r/' >"$stage/README.txt" <<EOF
VynMAP Editor $version for Windows (64-bit, Windows 10 or later)

Starting: unpack this folder anywhere (paths in any language work) and start vynmap-editor.exe.
Nothing is installed; deleting the folder removes the editor.

Configuration: vynmap-editor.exe.INI beside vynmap-editor.exe, written by the editor. Its
[CONFIG] section's PATH is your UI skin folder, ending with a backslash, for example
  [CONFIG]
  PATH=C:\Games\UI\MySkin\\
Without it, the editor looks for icon pages in the folder of vynmap-editor.exe. The folder
UI\Sample\ holds a sample skin: set PATH to it, or open UI\Sample\vynmap\icons_harbor_town.xml
with File > Open.

Under Wine: the editor asks for Windows' own fonts (MS Sans Serif, and Gulim for Korean); in a
Wine folder without them text fields may look empty, so install Windows' core fonts there.

Command line: vynmap-editor.exe --help lists the options (--check PAGE reads a page as the
editor does and reports what it found).

Licences: the editor uses Qt 6 (from the $qt_source source package), licensed under the
GNU LGPL version 3 (LICENSES\LGPL-3.0.txt, which builds on LICENSES\GPL-3.0.txt). The Qt DLLs
beside the executable may be replaced by other builds of the same Qt version. The notices of
Qt and the libraries built into it are in LICENSES\Qt-and-bundled-libraries.txt, those of the
MinGW-w64 runtime (libstdc++, libgcc, winpthreads) in LICENSES\MinGW-w64-runtime.txt.
EOF

# No path of this machine may end up in what we wrote.
for path in "$root" "$build" "$HOME"; do
  if grep -rqF "$path" "$stage/README.txt"; then die "README.txt names $path"; fi
done

mkdir -p "$out"
zip="$(cd "$out" && pwd)/$name.zip"
python3 - "$build/package" "$name" "$zip" "$SOURCE_DATE_EPOCH" <<'EOF'
import os, sys, time, zipfile
base, top, target, epoch = sys.argv[1], sys.argv[2], sys.argv[3], int(sys.argv[4])
# Zip times are local times without a zone; UTC keeps them the same on every machine.
stamp = time.gmtime(max(epoch, 315532800))[:6]
files = []
for folder, dirs, names in os.walk(os.path.join(base, top)):
    files += [os.path.relpath(os.path.join(folder, n), base) for n in names]
tmp = target + ".part"
with zipfile.ZipFile(tmp, "w", zipfile.ZIP_DEFLATED, compresslevel=9) as z:
    for rel in sorted(files, key=lambda p: p.replace(os.sep, "/")):
        info = zipfile.ZipInfo(rel.replace(os.sep, "/"), stamp)
        info.create_system = 3
        info.external_attr = 0o644 << 16
        info.compress_type = zipfile.ZIP_DEFLATED
        with open(os.path.join(base, rel), "rb") as f:
            z.writestr(info, f.read(), compresslevel=9)
os.replace(tmp, target)
EOF
echo "$zip"
