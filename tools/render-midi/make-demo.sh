#!/bin/sh
# Plays the bundled demo phrase through the instrument into build/demo.wav and,
# where sox is installed, draws its spectrogram into build/demo.png.
#
#   tools/render-midi/make-demo.sh [TREE]
#
# TREE is the Linux build (default build/linux: its .so through the native
# renderer) or a Windows build tree (its DLL under Wine). Every build plays
# the same samples, so the demo is the same whichever plays it.
here=$(cd "$(dirname "$0")" && pwd)
root=$(cd "$here/../.." && pwd)
tree="${1:-build/linux}"
case "$tree" in /*) ;; *) tree="$root/$tree" ;; esac
out="$root/build"
mkdir -p "$out"
if [ -f "$tree/Qelt-epiano.so" ]; then
    plugin="$tree/Qelt-epiano.so"
else
    plugin="$tree/Qelt-epiano.dll"
fi
[ -f "$plugin" ] || { echo "make-demo: $plugin is not built" >&2; exit 1; }

errors=$(mktemp) || exit 1
trap 'rm -f "$errors"' EXIT
summary=$(QELT_LINUX="$tree" QELT_WIN32="$tree" QELT_WIN64="$tree" "$here/qelt-render" --plugin "$plugin" \
    "$here/demo/demo-phrase.mid" "$out/demo.wav" 2>"$errors") || {
    status=$?
    [ -n "$summary" ] && printf "%s\n" "$summary"
    why=$(grep -v '^ *$' "$errors" | tail -n 1)
    echo "make-demo: rendering the demo through $plugin failed (status $status): ${why:-the renderer said nothing}" >&2
    exit $status
}
cat "$errors" >&2
printf "%s\n" "$summary"
# Silence is reported, not treated as a failure: an instrument without its
# engine still renders, and the demo step stays useful while it is built.
case "$summary" in *"(silent)"*) echo "make-demo: warning: the demo is silent" >&2 ;; esac

if command -v sox >/dev/null 2>&1; then
    sox "$out/demo.wav" -n spectrogram -x 1200 -y 513 -t "Qelt ePiano demo" -o "$out/demo.png" &&
        echo "spectrogram: $out/demo.png"
else
    echo "(no sox: no spectrogram)"
fi
echo "demo: $out/demo.wav"
