#!/bin/sh
# The 32- and 64-bit DLLs give the same samples: the scripted session (every
# parameter, pedal, wheel, rate changes, uneven blocks) and the bundled demo
# are played through both and compared byte for byte, as are the parameter
# display texts. With a third tree (native), its session must match too.
# Where this machine runs no 32-bit code, the 64-bit DLL and the native build
# are compared alone, and the 32-bit DLL is named as skipped.
# With --lv2, the Linux tree's program plays the session as far as LV2 can
# take it (a fresh instance per rate, no keys through parameters) through
# the .so and through the LV2 bundle, and the two are compared.
# With --vst3, the same program plays the session as far as VST 3 carries
# it (no program change; controllers through the bundle's MIDI mapping;
# parameter changes also inside blocks) through the .so and through the VST 3
# bundle, then a grid of every key at seven velocities over both layers
# and the bundled demo through both; each pair must be identical. Given
# a Windows tree's program (.exe), it runs under Wine and plays the DLL beside
# it against that tree's bundle, and the tree's renderer plays the demo
# through both.
# With --linux32, a static 32-bit Linux build of the session program (the
# 32-bit DLL's arithmetic, natively or under qemu-i386-static) plays the
# session and the demo, and both must equal the native tree's.
#   same-sound.sh WIN32-TREE WIN64-TREE [NATIVE-TREE]
#   same-sound.sh --lv2 QELT-SESSION-RENDER BUNDLE
#   same-sound.sh --vst3 QELT-SESSION-RENDER BUNDLE
#   same-sound.sh --linux32 QELT-SESSION-RENDER NATIVE-TREE
here=$(cd "$(dirname "$0")" && pwd)
root=$(cd "$here/../.." && pwd)
lv2_session=
vst3_session=
linux32_session=
if [ "$1" = --lv2 ]; then
    lv2_session="$2"
    bundle="$3"
elif [ "$1" = --vst3 ]; then
    vst3_session="$2"
    bundle="$3"
elif [ "$1" = --linux32 ]; then
    linux32_session="$2"
    native="$3"
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
# (only .raw with --portable, --portable-vst3, --lv2, --vst3 or --song, which
# have no display texts).
session() {
    name="$1"
    shift
    case " $* " in
        *" --portable "*|*" --portable-vst3 "*|*" --lv2 "*|*" --vst3 "*|*" --song "*) texts= ;;
        *) texts="$work/$name.txt" ;;
    esac
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

if [ -n "$vst3_session" ]; then
    demo="$root/tools/render-midi/demo/demo-phrase.mid"
    case "$vst3_session" in
        *.exe) vst2="the VST 2 DLL" ;;
        *) vst2="the .so" ;;
    esac
    play() {
        case "$vst3_session" in
            *.exe) "$root/tests/support/run-wine.sh" "$vst3_session" "$@" ;;
            *) "$vst3_session" "$@" ;;
        esac
    }
    # Every key from A0 to C8 at seven velocities over both layers,
    # a 32nd apart at 120 bpm, each held a little less.
    python3 - "$work/grid.mid" <<'PY'
import sys
body = bytes([0, 0xFF, 0x51, 3, 0x07, 0xA1, 0x20])
for key in range(21, 109):
    for velocity in (1, 40, 70, 71, 72, 100, 127):
        body += bytes([0 if key == 21 and velocity == 1 else 10, 0x90, key, velocity, 50, 0x80, key, 0])
body += bytes([0, 0xFF, 0x2F, 0])
song = b"MThd" + (6).to_bytes(4, "big") + bytes([0, 0, 0, 1, 0x01, 0xE0])
open(sys.argv[1], "wb").write(song + b"MTrk" + len(body).to_bytes(4, "big") + body)
PY
    session so play --portable-vst3
    session vst3 play --vst3 "$bundle"
    # The changes must really have come inside blocks, not only between them.
    case "$summary" in
        *"inside 0"*|"") fail "no parameter change came inside a VST 3 block" ;;
        *"inside "*) ;;
        *) fail "the VST 3 session did not say how many changes came inside blocks" ;;
    esac
    same "session through $vst2 and the VST 3 bundle" "$work/so.raw" "$work/vst3.raw"
    session grid-so play --song "$work/grid.mid"
    session grid-vst3 play --vst3 "$bundle" --song "$work/grid.mid"
    same "every key and layer through $vst2 and the VST 3 bundle" "$work/grid-so.raw" "$work/grid-vst3.raw"
    session demo-so play --song "$demo"
    session demo-vst3 play --vst3 "$bundle" --song "$demo"
    same "demo through $vst2 and the VST 3 bundle" "$work/demo-so.raw" "$work/demo-vst3.raw"
    expected=3
    # In a Windows tree the renderer plays the demo through both too, as a
    # person runs it: tools/render-midi/qelt-render, the tree's
    # qelt-render.exe under Wine.
    case "$vst3_session" in *.exe)
        tree=$(dirname "$vst3_session")
        expected=4
        for plugin in Qelt-epiano.dll Qelt-epiano.vst3; do
            QELT_WIN32="$tree" QELT_WIN64="$tree" "$root/tools/render-midi/qelt-render" --plugin "$tree/$plugin" \
                "$demo" "$work/$plugin.wav" >"$work/$plugin.out" 2>&1 </dev/null ||
                fail "qelt-render with $plugin: $(cat "$work/$plugin.out")"
            case "$(cat "$work/$plugin.out")" in *"(silent)"*) fail "qelt-render with $plugin: silent" ;; esac
        done
        same "demo rendered by qelt-render.exe through the DLL and the VST 3 bundle" \
            "$work/Qelt-epiano.dll.wav" "$work/Qelt-epiano.vst3.wav" ;;
    esac
    echo "$passes of $expected identical, $failures failed"
    [ $failures = 0 ] && [ $passes = $expected ]
    exit
fi

if [ -n "$linux32_session" ]; then
    program="$native/tests/same_sound/qelt-session-render"
    [ -x "$program" ] || { echo "FAILED: $program is not built (make native)"; exit 1; }
    run32="$root/tests/support/run-i386.sh"
    "$root/tools/setup/runs-32bit.sh" >/dev/null || echo "the 32-bit programs run under qemu-i386-static"
    demo="$root/tools/render-midi/demo/demo-phrase.mid"
    session linux32 "$run32" "$linux32_session"
    session native "$program"
    same "session through the 32-bit and the native build" "$work/linux32.raw" "$work/native.raw"
    same "parameter texts of the 32-bit and the native build" "$work/linux32.txt" "$work/native.txt"
    session demo32 "$run32" "$linux32_session" --song "$demo"
    session demo "$program" --song "$demo"
    same "demo through the 32-bit and the native build" "$work/demo32.raw" "$work/demo.raw"
    echo "$passes of 3 identical, $failures failed"
    [ $failures = 0 ] && [ $passes = 3 ]
    exit
fi

# The 32-bit DLL only where this machine runs 32-bit code; elsewhere the
# comparisons leave it out by name and the 64-bit DLL stands in for it.
if why=$("$root/tools/setup/runs-32bit.sh" --reason); then
    widths="32 64"
else
    widths=64
    echo "skipped: the 32-bit DLL ($win32): $why"
fi
for width in $widths; do
    eval exe=\$win$width/qelt-session-render.exe
    [ -f "$exe" ] || { echo "$exe is not built (make win32 win64)"; exit 1; }
done

expected=0
reference=win${widths%% *}
if [ "$widths" = "32 64" ]; then
    session win32 "$root/tests/support/run-wine.sh" "$win32/qelt-session-render.exe"
    expected=3
fi
session win64 "$root/tests/support/run-wine.sh" "$win64/qelt-session-render.exe"
if [ "$widths" = "32 64" ]; then
    same "session through the 32- and 64-bit DLLs" "$work/win32.raw" "$work/win64.raw"
    same "parameter texts of the 32- and 64-bit DLLs" "$work/win32.txt" "$work/win64.txt"
fi
if [ -n "$native" ]; then
    expected=$((expected + 2))
    session native "$native/tests/same_sound/qelt-session-render"
    same "session through the native build and the ${reference#win}-bit DLL" "$work/$reference.raw" "$work/native.raw"
    same "parameter texts of the native build and the ${reference#win}-bit DLL" "$work/$reference.txt" \
        "$work/native.txt"
fi

if [ "$widths" = "32 64" ]; then
    demo="$root/tools/render-midi/demo/demo-phrase.mid"
    for width in 32 64; do
        eval tree=\$win$width
        QELT_WIN32="$win32" QELT_WIN64="$win64" "$root/tools/render-midi/qelt-render" \
            --plugin "$tree/Qelt-epiano.dll" "$demo" "$work/demo$width.wav" >"$work/demo$width.out" 2>&1 </dev/null ||
            { fail "demo through the $width-bit DLL: $(cat "$work/demo$width.out")"; continue; }
        case "$(cat "$work/demo$width.out")" in *"(silent)"*) fail "demo through the $width-bit DLL is silent" ;; esac
    done
    same "demo through the 32- and 64-bit DLLs" "$work/demo32.wav" "$work/demo64.wav"
fi

[ $expected -gt 0 ] || { echo "FAILED: nothing to compare the 64-bit DLL with (no native tree given)"; exit 1; }
echo "$passes of $expected identical, $failures failed"
[ $failures = 0 ] && [ $passes = $expected ]
