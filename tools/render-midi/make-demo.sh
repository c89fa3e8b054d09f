#!/bin/sh
# Plays the bundled demo phrase through the instrument into build/demo.wav and,
# where sox is installed, draws its spectrogram into build/demo.png.
#
#   tools/render-midi/make-demo.sh [WINDOWS-TREE]   (default build/win32; build/win64 works too)
here=$(cd "$(dirname "$0")" && pwd)
root=$(cd "$here/../.." && pwd)
tree="${1:-build/win32}"
case "$tree" in /*) ;; *) tree="$root/$tree" ;; esac
out="$root/build"
mkdir -p "$out"

summary=$(QELT_WIN32="$tree" QELT_WIN64="$tree" "$here/qelt-render" --plugin "$tree/Qelt-epiano.dll" \
    "$here/demo/demo-phrase.mid" "$out/demo.wav") || {
    status=$?
    printf "%s\n" "$summary"
    echo "make-demo: rendering the demo failed (status $status)" >&2
    exit $status
}
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
