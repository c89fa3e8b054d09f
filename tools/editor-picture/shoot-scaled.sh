#!/bin/sh
# Shoots the Linux plug-in's editor at a scale chosen as a player chooses it,
# through a settings file (here a private one), on a virtual display wide
# enough for it, and saves it as PNG.
#   tools/editor-picture/shoot-scaled.sh PERCENT PLUGIN.so OUT.png
percent="$1"
plugin="$2"
png="$3"
here=$(cd "$(dirname "$0")" && pwd)
root=$(cd "$here/../.." && pwd)
work=$(mktemp -d) || exit 1
trap 'rm -rf "$work"' EXIT
mkdir -p "$work/config/Qelt-epiano"
echo "scale=$percent" >"$work/config/Qelt-epiano/settings"
XDG_CONFIG_HOME="$work/config" xvfb-run -a -s "-screen 0 1600x1200x24" \
    "$root/tools/render-midi/qelt-render" --plugin "$plugin" --shot "$work/editor.bmp" >"$work/out" 2>&1 || {
    cat "$work/out" >&2
    echo "shoot-scaled: the editor of $plugin could not be shot at $percent %" >&2
    exit 1
}
python3 "$here/bmp_to_png.py" "$work/editor.bmp" "$png"
