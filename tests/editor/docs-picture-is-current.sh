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
# Pixels are compared, not bytes: another zlib may pack the same rows differently.
same_pixels() {
    python3 - "$1" "$2" <<'PY'
import struct, sys, zlib
def pixels(path):
    data = open(path, "rb").read()
    at, header, packed = 8, b"", b""
    while at + 8 <= len(data):
        length, kind = struct.unpack_from(">I4s", data, at)
        body = data[at + 8: at + 8 + length]
        header = body if kind == b"IHDR" else header
        packed += body if kind == b"IDAT" else b""
        at += 12 + length
    return header, zlib.decompress(packed)
sys.exit(0 if pixels(sys.argv[1]) == pixels(sys.argv[2]) else 1)
PY
}
if [ -f "$root/docs/editor.png" ] && same_pixels "$work/editor.png" "$root/docs/editor.png"; then
    echo "docs/editor.png is current"
else
    echo "docs/editor.png differs from what the DLL shows now: run make docs-picture and commit it"
    exit 1
fi
