#!/bin/sh
# The README's picture of the editor at 200 % must be what the Linux plug-in
# shows at that scale now: shot from a real window, converted to PNG.
#   docs-picture-200-is-current.sh QELT-EPIANO.SO
root=$(cd "$(dirname "$0")/../.." && pwd)
work=$(mktemp -d) || exit 1
trap 'rm -rf "$work"' EXIT
"$root/tools/editor-picture/shoot-scaled.sh" 200 "$1" "$work/editor.png" || exit 1
# 1460 x 496, 8-bit RGB.
header=$(od -An -tx1 -j16 -N10 "$work/editor.png" | tr -d ' \n')
[ "$header" = "000005b4000001f00802" ] || {
    echo "unexpected PNG header $header"
    exit 1
}
if [ -f "$root/docs/editor-200.png" ] && python3 "$root/tools/editor-picture/same_pixels.py" \
    "$work/editor.png" "$root/docs/editor-200.png"; then
    echo "docs/editor-200.png is current"
else
    echo "docs/editor-200.png differs from what the plug-in shows at 200 % now: run make docs-picture and commit it"
    exit 1
fi
