#!/bin/sh
# The renderer as a person runs it: the Linux wrapper, the program under Wine
# with the impulse test instrument's DLLs, or the Linux program with its
# shared objects. Exit codes, error lines, the files it writes (and the ones
# it must not write), parameters, and the editor picture.
#   cli-test.sh QELT-RENDER[.EXE] IMPULSE.DLL|.so IMPULSE-PLAIN.DLL|.so [render|shot]
exe="$1"
impulse="$2"
plain="$3"
part="${4:-render}"
here=$(cd "$(dirname "$0")" && pwd)
root=$(cd "$here/../.." && pwd)
render="$root/tools/render-midi/qelt-render"
case "$exe" in
    *.exe) export QELT_RENDER_EXE="$exe" ;;
    *) export QELT_RENDER_NATIVE="$exe" ;;
esac
work=$(mktemp -d) || exit 1
trap 'rm -rf "$work"' EXIT
. "$root/tests/support/tally.sh"
on_failure() {
    echo "  stdout: $(cat "$work/out" 2>/dev/null)"
    echo "  stderr: $(cat "$work/err" 2>/dev/null)"
}
run() {  # run ARGS...: status in $status, output in $work/out and $work/err
    "$render" "$@" >"$work/out" 2>"$work/err"
    status=$?
}
lines() { wc -l <"$1" | tr -d ' '; }
says() { grep -qF -- "$2" "$1"; }

# Files made with Python: one note-on at frame 0, one at 192 and one at 4800 at
# 48 kHz (1000 ticks per quarter at 60 bpm: a tick is a millisecond).
python3 - "$work" <<'EOF'
import sys
work = sys.argv[1]
def vlq(v):
    out = [v & 0x7F]
    v >>= 7
    while v:
        out.insert(0, 0x80 | (v & 0x7F))
        v >>= 7
    return bytes(out)
events = vlq(0) + bytes([0xFF, 0x51, 3, 0x0F, 0x42, 0x40])
events += vlq(0) + bytes([0x90, 60, 100]) + vlq(4) + bytes([0x90, 64, 127]) + vlq(96) + bytes([0x80, 60, 0])
events += vlq(400) + bytes([0xFF, 0x2F, 0])
song = b"MThd" + (6).to_bytes(4, "big") + bytes([0, 0, 0, 1, 0x03, 0xE8])
song += b"MTrk" + len(events).to_bytes(4, "big") + events
open(work + "/song.mid", "wb").write(song)
open(work + "/cut.mid", "wb").write(song[:30])
open(work + "/text.mid", "w").write("this is not a MIDI file\n")
EOF

# A WAV's format tag and its left-channel samples at some frames.
wav_left() {  # wav_left FILE FRAME...
    python3 - "$@" <<'EOF'
import struct, sys
data = open(sys.argv[1], "rb").read()
tag, channels, rate = struct.unpack_from("<HHI", data, 20)
at = data.index(b"data") + 8
width = 4 if tag == 3 else 2
values = []
for frame in map(int, sys.argv[2:]):
    raw = data[at + frame * channels * width: at + frame * channels * width + width]
    values.append(struct.unpack("<f", raw)[0] if tag == 3 else struct.unpack("<h", raw)[0])
print(tag, rate, " ".join("%.6g" % v for v in values))
EOF
}

if [ "$part" = render ]; then
# Usage errors: status 1 and a reason.
run --plugin "$impulse" --help  # the program of the plug-in's kind, Windows or Linux
check "--help" test "$status" = 0
check "--help lists --param" says "$work/out" "--param KEY=VALUE"
run --plugin "$impulse" --rate fast "$work/song.mid" "$work/x.wav"
check "bad rate: status 1" test "$status" = 1
check "bad rate: says why" says "$work/err" "--rate fast"
missing="missing.${impulse##*.}"
run --plugin "$work/$missing" "$work/song.mid" "$work/x.wav"
check "missing plug-in: status 1" test "$status" = 1
check "missing plug-in: named" says "$work/err" "$missing"
case "$exe" in *.exe) ;; *)  # LV2 bundles, natively
    run --plugin "$work/none.lv2" "$work/song.mid" "$work/x.wav"
    check "missing bundle: status 1" test "$status" = 1
    check "missing bundle: named" says "$work/err" "none.lv2: no such bundle"
    run --plugin "$work" "$work/song.mid" "$work/x.wav"
    check "folder that is no bundle: status 1" test "$status" = 1
    check "folder that is no bundle: says so" says "$work/err" "not an LV2 bundle (no readable manifest.ttl)"
    ;;
esac
run --plugin "$impulse" --param Bass=0.5 "$work/song.mid" "$work/x.wav"
check "unknown parameter: status 1" test "$status" = 1
check "unknown parameter: lists the names" says "$work/err" "Level, Treble, Hum, Broken"
check "nothing written after a usage error" test ! -e "$work/x.wav"

# Bad MIDI files: status 2, one line naming the file and the byte, no WAV.
echo "keep" >"$work/kept.wav"
run --plugin "$impulse" "$work/text.mid" "$work/x.wav"
check "not MIDI: status 2" test "$status" = 2
check "not MIDI: one line" test "$(lines "$work/err")" = 1
check "not MIDI: file and offset" says "$work/err" "text.mid: byte 0: not a MIDI file"
run --plugin "$impulse" "$work/cut.mid" "$work/kept.wav"
check "truncated: status 2" test "$status" = 2
check "truncated: one line" test "$(lines "$work/err")" = 1
check "truncated: file and offset" says "$work/err" "cut.mid: byte 18: chunk of 24 bytes runs past the end"
check "truncated: the old WAV is untouched" test "$(cat "$work/kept.wav")" = keep
check "truncated: no partial file" test ! -e "$work/kept.wav.part"
run --plugin "$impulse" "$work/none.mid" "$work/x.wav"
check "missing MIDI file: status 2" test "$status" = 2
check "missing MIDI file: says so" says "$work/err" "none.mid: byte 0: cannot open the file"
check "no WAV for bad MIDI" test ! -e "$work/x.wav"

# A render: every note-on at its frame, whatever the block size.
for block in 64 100 4096; do
    run --plugin "$impulse" --rate 48000 --block $block "$work/song.mid" "$work/f.wav"
    check "render (block $block): status 0" test "$status" = 0
    check "render (block $block): impulses at 0, 192, 4800" \
        test "$(wav_left "$work/f.wav" 0 1 191 192 4800)" = "3 48000 0.787402 0 0 1 -0.25"
done
check "summary: events" says "$work/out" "events 3 sent, 0 at or beyond a block end"
check "summary: peak" says "$work/out" "peak 0.0 dBFS"
check "summary: duration" says "$work/out" "duration 0.68 s (32768 frames at 48000 Hz, block 4096, 32-bit float)"
run --plugin "$impulse" --rate 48000 --format pcm16 "$work/song.mid" "$work/p.wav"
check "pcm16: status 0" test "$status" = 0
check "pcm16: 16-bit samples" test "$(wav_left "$work/p.wav" 0 192)" = "1 48000 25801 32767"

# The Linux program writes FLAC through libsndfile when the name says so.
case "$exe" in *.exe) ;; *)
    run --plugin "$impulse" --rate 48000 "$work/song.mid" "$work/f.flac"
    check "flac: status 0" test "$status" = 0
    check "flac: summary" says "$work/out" "(35840 frames at 48000 Hz, block 512, 24-bit FLAC)"
    check "flac: a FLAC stream" test "$(head -c 4 "$work/f.flac")" = fLaC
    ;;
esac

# Parameters by name and by index.
run --plugin "$impulse" --rate 48000 --param level=0.5 "$work/song.mid" "$work/f.wav"
check "--param by name" test "$(wav_left "$work/f.wav" 192)" = "3 48000 0.5"
run --plugin "$impulse" --rate 48000 --param=0=0.25 "$work/song.mid" "$work/f.wav"
check "--param by index" test "$(wav_left "$work/f.wav" 192)" = "3 48000 0.25"

# The parameters as the plug-in names them.
run --plugin "$impulse" --list-params
check "--list-params: status 0" test "$status" = 0
check "--list-params: index, name and value" says "$work/out" "  2  Hum          0.0000"

# Relative paths from the current folder.
(cd "$work" && "$render" --plugin "$impulse" --rate 48000 --quiet song.mid rel.wav >out 2>err)
check "relative paths: status 0" test $? = 0
check "relative paths: written" test -s "$work/rel.wav"

# A plug-in that produces NaN: status 3, the samples written as 0.
run --plugin "$impulse" --rate 48000 --param Broken=1 "$work/song.mid" "$work/n.wav"
check "NaN: status 3" test "$status" = 3
check "NaN: counted" says "$work/err" "3 non-finite samples (written as 0)"
check "NaN: written as 0" test "$(wav_left "$work/n.wav" 0 192)" = "3 48000 0 0"

fi

if [ "$part" = shot ]; then
# The editor picture: a real window under Wine, the test editor's two colours.
run --plugin "$impulse" --shot "$work/editor.bmp" --shot-time 400
check "shot: status 0" test "$status" = 0
check "shot: reported" says "$work/out" "editor picture 200 x 120 saved"
shot=$(python3 - "$work/editor.bmp" <<'EOF'
import struct, sys
b = open(sys.argv[1], "rb").read()
w, h = struct.unpack_from("<ii", b, 18)
stride = (w * 3 + 3) & ~3
def pixel(x, y):
    at = 54 + (h - 1 - y) * stride + x * 3
    return "%d,%d,%d" % (b[at + 2], b[at + 1], b[at])
print(w, h, pixel(5, 5), pixel(30, 30), pixel(199, 119))
EOF
)
check "shot: size and colours ($shot)" test "$shot" = "200 120 30,60,90 250,200,10 30,60,90"
run --plugin "$plain" --shot "$work/none.bmp"
check "shot without an editor: status 1" test "$status" = 1
check "shot without an editor: says so" says "$work/err" "has no editor"
check "shot without an editor: no picture" test ! -e "$work/none.bmp"
fi

tally
