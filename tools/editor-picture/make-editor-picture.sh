#!/bin/sh
# Opens the instrument's editor from the DLL of a Windows build tree and saves
# its window as build/editor.bmp and build/editor.png; with --docs also as the
# README's picture, docs/editor.png, and the editor at 200 % from the Linux
# plug-in (build/linux, chosen through a settings file of its own) as
# docs/editor-200.png.
#
#   tools/editor-picture/make-editor-picture.sh [--docs] [WINDOWS-TREE]   (default build/win64)
#
# Both widths draw the same picture; the 64-bit DLL runs on every x86-64
# machine, also where the kernel runs no 32-bit code.
here=$(cd "$(dirname "$0")" && pwd)
root=$(cd "$here/../.." && pwd)
docs=no
if [ "$1" = "--docs" ]; then
    docs=yes
    shift
fi
tree="${1:-build/win64}"
case "$tree" in /*) ;; *) tree="$root/$tree" ;; esac
out="$root/build"
mkdir -p "$out"
rm -f "$out/editor.bmp" "$out/editor.png"

set -- "$root/tools/render-midi/qelt-render" --plugin "$tree/Qelt-epiano.dll" --shot "$out/editor.bmp"
# The window needs a display; without one a virtual one stands in. A Wine
# session still running from an earlier step (the demo render, with no
# display) would be joined and could not open windows: wait for it to end.
for prefix in "${WINEPREFIX:-$root/build/wineprefix}" "$root/build/wineprefix64"; do
    WINEPREFIX="$prefix" timeout 30 wineserver -w 2>/dev/null || true
done
[ -n "$DISPLAY" ] || set -- xvfb-run -a -s "-screen 0 1280x1024x24" "$@"
QELT_WIN32="$tree" QELT_WIN64="$tree" "$@" || {
    echo "make-editor-picture: the editor of $tree/Qelt-epiano.dll could not be shot (status $?)" >&2
    exit 1
}
python3 "$here/bmp_to_png.py" "$out/editor.bmp" "$out/editor.png" || exit 1
echo "editor picture: $out/editor.png"
if [ $docs = yes ]; then
    mkdir -p "$root/docs"
    cp "$out/editor.png" "$root/docs/editor.png" && echo "documentation picture: $root/docs/editor.png"
    "$here/shoot-scaled.sh" 200 "$root/build/linux/Qelt-epiano.so" "$root/docs/editor-200.png" || exit 1
    echo "documentation picture: $root/docs/editor-200.png"
fi
