#!/bin/sh
# The 32- and 64-bit DLLs give the same samples: the scripted session (every
# parameter, pedal, wheel, rate changes, uneven blocks) and the bundled demo
# are played through both and compared byte for byte, as are the parameter
# display texts. With a third tree (native), its session must match too.
# With --lv2, the Linux tree's program plays the session as far as LV2 can
# take it (a fresh instance per rate, no keys through parameters) through
# the .so and through the LV2 bundle, and the two are compared.
#   same-sound.sh WIN32-TREE WIN64-TREE [NATIVE-TREE]
#   same-sound.sh --lv2 QELT-SESSION-RENDER BUNDLE
here=$(cd "$(dirname "$0")" && pwd)
root=$(cd "$here/../.." && pwd)
lv2_session=
if [ "$1" = --lv2 ]; then
    lv2_session="$2"
    bundle="$3"
else
    win32="$1"
    win64="$2"
    native="$3"
fi
work=$(mktemp -d) || exit 1
trap 'rm -rf "$work"' EXIT
failures=0
passes=0
fail() {
    echo "FAILED: $1"
    failures=$((failures + 1))
}

# session NAME PROGRAM...: plays the session into $work/NAME.raw and .txt
# (only .raw with --portable or --lv2, which have no display texts).
session() {
    name="$1"
    shift
    case " $* " in *" --portable "*|*" --lv2 "*) texts= ;; *) texts="$work/$name.txt" ;; esac
    # shellcheck disable=SC2086 # no texts: no argument
    if summary=$("$@" "$work/$name.raw" $texts); then
        summary=$(printf '%s' "$summary" | tr -d '\r')  # Windows programs end lines with CR LF
        echo "$name session: $summary"
        case "$summary" in *"non-finite 0") ;; *) fail "$name session: non-finite samples" ;; esac
        peak=$(echo "$summary" | sed -n 's/.*peak \([0-9.]*\).*/\1/p')
        awk -v p="$peak" 'BEGIN { exit !(p > 0.05) }' || fail "$name session: nearly silent (peak $peak)"
    else
        fail "$name session: the program failed"
    fi
}

# same WHAT A B: byte for byte, or where the first float differs.
same() {
    if [ -s "$2" ] && cmp -s "$2" "$3"; then
        echo "$1: identical ($(wc -c <"$2" | tr -d ' ') bytes)"
        passes=$((passes + 1))
        return
    fi
    fail "$1 differ"
    case "$2" in
        *.txt) diff "$2" "$3" | head -10 ;;
        *) python3 - "$2" "$3" <<'PY'
import struct, sys
a, b = (open(p, "rb").read() for p in sys.argv[1:3])
start = 44 if a[:4] == b"RIFF" else 0
if len(a) != len(b):
    print("  sizes %d and %d bytes" % (len(a), len(b)))
for i in range(start, min(len(a), len(b)) - 3, 4):
    if a[i:i + 4] != b[i:i + 4]:
        x, y = struct.unpack_from("<f", a, i)[0], struct.unpack_from("<f", b, i)[0]
        print("  first difference: frame %d, %s channel: %r and %r" % ((i - start) // 8, ("left", "right")[(i - start) // 4 % 2], x, y))
        break
PY
        ;;
    esac
}

# Each comparison below must be found identical: one that could not be made
# (a program or a render that failed, an empty output) fails as a difference.
if [ -n "$lv2_session" ]; then
    session so "$lv2_session" --portable
    session lv2 "$lv2_session" --lv2 "$bundle"
    same "session through the .so and the LV2 bundle" "$work/so.raw" "$work/lv2.raw"
    echo "$passes of 1 identical, $failures failed"
    [ $failures = 0 ] && [ $passes = 1 ]
    exit
fi

for exe in "$win32/qelt-session-render.exe" "$win64/qelt-session-render.exe"; do
    [ -f "$exe" ] || { echo "$exe is not built (make win32 win64)"; exit 1; }
done

expected=3
[ -n "$native" ] && expected=5
session win32 "$root/tests/support/run-wine.sh" "$win32/qelt-session-render.exe"
session win64 "$root/tests/support/run-wine.sh" "$win64/qelt-session-render.exe"
same "session through the 32- and 64-bit DLLs" "$work/win32.raw" "$work/win64.raw"
same "parameter texts of the 32- and 64-bit DLLs" "$work/win32.txt" "$work/win64.txt"
if [ -n "$native" ]; then
    session native "$native/tests/same_sound/qelt-session-render"
    same "session through the native build and the 32-bit DLL" "$work/win32.raw" "$work/native.raw"
    same "parameter texts of the native build and the 32-bit DLL" "$work/win32.txt" "$work/native.txt"
fi

demo="$root/tools/render-midi/demo/demo-phrase.mid"
for width in 32 64; do
    eval tree=\$win$width
    QELT_WIN32="$win32" QELT_WIN64="$win64" "$root/tools/render-midi/qelt-render" \
        --plugin "$tree/Qelt-epiano.dll" "$demo" "$work/demo$width.wav" >"$work/demo$width.out" 2>&1 </dev/null ||
        { fail "demo through the $width-bit DLL: $(cat "$work/demo$width.out")"; continue; }
    case "$(cat "$work/demo$width.out")" in *"(silent)"*) fail "demo through the $width-bit DLL is silent" ;; esac
done
same "demo through the 32- and 64-bit DLLs" "$work/demo32.wav" "$work/demo64.wav"

echo "$passes of $expected identical, $failures failed"
[ $failures = 0 ] && [ $passes = $expected ]
