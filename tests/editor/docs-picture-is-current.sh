#!/bin/sh
# The README's picture of the editor must be what the DLL shows now: the
# editor shot from a real window through the renderer, converted to PNG.
#   docs-picture-is-current.sh QELT-RENDER.EXE QELT-EPIANO.DLL
exe="$1"
dll="$2"
here=$(cd "$(dirname "$0")" && pwd)
root=$(cd "$here/../.." && pwd)
work=$(mktemp -d) || exit 1
trap 'rm -rf "$work"' EXIT
QELT_RENDER_EXE="$exe" "$root/tools/render-midi/qelt-render" --plugin "$dll" --shot "$work/editor.bmp" \
    >"$work/out" 2>&1 || {
    cat "$work/out"
    exit 1
}
python3 "$root/tools/editor-picture/bmp_to_png.py" "$work/editor.bmp" "$work/editor.png" || exit 1
# The converter's PNG: signature, then a 730 x 248 8-bit RGB header.
header=$(od -An -tx1 -N26 "$work/editor.png" | tr -d ' \n')
case "$header" in
    89504e470d0a1a0a0000000d49484452000002da000000f80802) ;;
    *)
        echo "unexpected PNG header $header"
        exit 1
        ;;
esac
same_pixels() { python3 "$root/tools/editor-picture/same_pixels.py" "$1" "$2"; }
if [ -f "$root/docs/editor.png" ] && same_pixels "$work/editor.png" "$root/docs/editor.png"; then
    echo "docs/editor.png is current"
else
    echo "docs/editor.png differs from what the DLL shows now: run make docs-picture and commit it"
    exit 1
fi
