#!/bin/sh
# The same sound everywhere: MIDI files rendered through the Linux plug-in by
# the native renderer give the same samples, bit for bit, as through each
# other build: a Windows DLL by its renderer under Wine, or the LV2 bundle
# through lilv by the native renderer, or the VST 3 bundle by the native
# renderer. The demo phrase, and a phrase that works every control, under
# settings that move every parameter, in blocks of 1, 7, 100, 512 and 4096
# frames. VST 3 carries no program change: for a VST 3 bundle both sides
# play the controls phrase without its program changes.
#   same-sound-test.sh QELT-RENDER QELT-EPIANO.SO BUILD...
# where each BUILD is a Windows build tree, an LV2 bundle (a .lv2 folder) or
# a VST 3 bundle (a .vst3 folder).
native="$1"
so="$2"
shift 2
here=$(cd "$(dirname "$0")" && pwd)
root=$(cd "$here/../.." && pwd)
work=$(mktemp -d) || exit 1
trap 'rm -rf "$work"' EXIT

# Every control the instrument reads: notes from A0 to C8 in both velocity
# layers and at their edges, note-off both ways, more notes at once than there
# are voices, more events in one block than are queued, sustain and sostenuto,
# the modulation wheel up and down, channel volume, all notes off, program
# changes, and messages it ignores (pitch bend, aftertouch, other controllers).
python3 - "$work/controls.mid" "$work/controls-vst3.mid" <<'PY'
import sys
PPQ = 480
def vlq(v):
    out = [v & 0x7F]
    v >>= 7
    while v:
        out.insert(0, 0x80 | (v & 0x7F))
        v >>= 7
    return bytes(out)
ev = [(0, bytes([0xFF, 0x51, 3, 0x07, 0xA1, 0x20]))]  # 120 bpm
t = 0
for i, key in enumerate(range(21, 109, 3)):  # the keyboard, a sixteenth apart
    vel = [1, 40, 70, 71, 72, 73, 100, 127][i % 8]
    ev.append((t, bytes([0x90, key, vel])))
    ev.append((t + 100, bytes([0x80, key, 64]) if i % 2 else bytes([0x90, key, 0])))
    t += 120
ev.append((t, bytes([0xB0, 64, 127])))  # sustain: a cluster of 48 keys rings on
for key in range(36, 84):
    ev.append((t, bytes([0x90, key, 30 + key])))
    ev.append((t + 240, bytes([0x80, key, 0])))
for step in range(24):  # the wheel up and back while the cluster sounds
    ev.append((t + step * 40, bytes([0xB0, 1, min(127, step * 11 if step < 12 else (23 - step) * 11)])))
ev.append((t + 960, bytes([0xB0, 64, 0])))
t += 1200
ev.append((t, bytes([0xB0, 7, 20])))  # channel volume for the notes after it
ev.append((t, bytes([0x90, 60, 90])))
ev.append((t + 240, bytes([0xB0, 7, 127])))
ev.append((t + 240, bytes([0x90, 64, 90])))
ev.append((t + 300, bytes([0xE0, 0, 0x60])))  # pitch bend, ignored
ev.append((t + 320, bytes([0xA0, 64, 50])))   # aftertouch, ignored
ev.append((t + 330, bytes([0xB0, 74, 90])))   # a controller it does not read
ev.append((t + 480, bytes([0xB0, 66, 127])))  # sostenuto, taken as sustain
ev.append((t + 500, bytes([0x80, 60, 0])))
ev.append((t + 500, bytes([0x80, 64, 0])))
ev.append((t + 900, bytes([0xB0, 66, 0])))
t += 1000
for key in (48, 55, 62, 69):
    ev.append((t, bytes([0x90, key, 110])))
ev.append((t + 300, bytes([0xB0, 123, 0])))  # all notes off
ev.append((t + 600, bytes([0xC0, 0])))       # program change, the one program
ev.append((t + 620, bytes([0xC0, 3])))       # and one that is not there
ev.append((t + 640, bytes([0x90, 72, 127])))
ev.append((t + 1400, bytes([0x80, 72, 0])))
def write(path, events):
    body = b""
    now = 0
    for tick, data in sorted(events, key=lambda e: e[0]):
        body += vlq(tick - now) + data
        now = tick
    body += vlq(0) + bytes([0xFF, 0x2F, 0])
    song = b"MThd" + (6).to_bytes(4, "big") + bytes([0, 0, 0, 1]) + PPQ.to_bytes(2, "big")
    song += b"MTrk" + len(body).to_bytes(4, "big") + body
    open(path, "wb").write(song)
write(sys.argv[1], ev)
write(sys.argv[2], [e for e in ev if e[1][0] & 0xF0 != 0xC0])
PY

# Compares the sample data of two WAV files (whatever other chunks the writers add).
same_samples() {  # same_samples A.wav B.wav: prints what differs, status 1 when anything does
    python3 - "$1" "$2" <<'PY'
import struct, sys
def chunks(path):
    data = open(path, "rb").read()
    found, at = {}, 12
    while at + 8 <= len(data):
        name, size = data[at:at + 4], struct.unpack_from("<I", data, at + 4)[0]
        found[name] = data[at + 8:at + 8 + size]
        at += 8 + size + (size & 1)
    return found
a, b = chunks(sys.argv[1]), chunks(sys.argv[2])
if a[b"fmt "][:16] != b[b"fmt "][:16]:
    sys.exit("formats differ")
da, db = a[b"data"], b[b"data"]
if not any(da):
    sys.exit("the render is silent: nothing to compare")
width = 8 if struct.unpack_from("<H", a[b"fmt "], 0)[0] == 3 else 4
if da != db:
    n = min(len(da), len(db))
    first = next((i for i in range(n) if da[i] != db[i]), n)
    sys.exit("%d and %d frames; the first difference at frame %d" % (len(da) // width, len(db) // width, first // width))
print("%d frames the same" % (len(da) // width))
PY
}

demo="$root/tools/render-midi/demo/demo-phrase.mid"
# name | MIDI file | renderer options
cases="demo, defaults|$demo|
demo, every parameter moved, 48 kHz, block 100|$demo|--param 0=0.1 --param 1=0.9 --param 2=0.8 --param 3=0.2 --param 4=0.7 --rate 48000 --block 100
controls, defaults|$work/controls.mid|
controls, the first four parameters at 0, Volume low|$work/controls.mid|--param 0=0 --param 1=0 --param 2=0 --param 3=0 --param 4=0.05
controls, all parameters at 1, 96 kHz|$work/controls.mid|--param 0=1 --param 1=1 --param 2=1 --param 3=1 --param 4=1 --rate 96000
controls, auto-pan side, 22.05 kHz, block 7|$work/controls.mid|--param 0=0.3 --param 1=0.7 --param 2=0.2 --param 3=0.9 --param 4=0.4 --rate 22050 --block 7
controls, 16-bit|$work/controls.mid|--format pcm16 --param 1=0.25 --param 2=0.65
demo, block 1|$demo|--block 1
controls, tremolo, block 4096|$work/controls.mid|--param 2=0.9 --param 3=0.3 --block 4096"

# Every case on every build must be found the same: a case that did not run,
# or a build that is not there, fails the test as a difference does. The
# renders get no standard input, so none of them can eat the list of cases.
# A 32-bit DLL is left out, by name, where this machine runs no 32-bit code;
# at least one build must be left to compare with.
n=$#
while [ $n -gt 0 ]; do
    build="$1"
    shift
    n=$((n - 1))
    case "$build" in /*) ;; *) build="$root/$build" ;; esac
    case "$build" in *.lv2|*.lv2/|*.vst3|*.vst3/) ;; *)
        if [ -f "$build/Qelt-epiano.dll" ] && [ "$("$root/tools/pe-width/pe-width.sh" "$build/Qelt-epiano.dll")" = 32 ] &&
            ! why=$("$root/tools/setup/runs-32bit.sh" --reason); then
            echo "skipped: the 32-bit DLL ($build): $why"
            continue
        fi ;;
    esac
    set -- "$@" "$build"
done
[ $# -gt 0 ] || { echo "FAILED: no build to compare with"; exit 1; }
expected=$(($(printf '%s\n' "$cases" | grep -c .) * $#))
passes=0
failures=0
failed() {
    echo "FAILED: $1"
    failures=$((failures + 1))
}
# other BUILD OPTIONS... SONG OUT: renders through that build.
other() {
    build="$1"
    shift
    case "$build" in
        *.lv2|*.lv2/|*.vst3|*.vst3/) "$native" --quiet --plugin "$build" "$@" ;;
        *) QELT_WIN32="$build" QELT_WIN64="$build" "$root/tools/render-midi/qelt-render" --quiet \
            --plugin "$build/Qelt-epiano.dll" "$@" ;;
    esac
}
for build in "$@"; do
    case "$build" in
        *.lv2|*.lv2/) [ -f "$build/manifest.ttl" ] || { failed "$build is not built"; continue; } ;;
        *.vst3|*.vst3/) [ -d "$build/Contents" ] || { failed "$build is not built"; continue; } ;;
        *) [ -f "$build/Qelt-epiano.dll" ] || { failed "$build/Qelt-epiano.dll is not built"; continue; } ;;
    esac
    while IFS='|' read -r name song options; do
        case "$build:$song" in *.vst3:*/controls.mid|*.vst3/:*/controls.mid) song="$work/controls-vst3.mid" ;; esac
        rm -f "$work/linux.wav" "$work/other.wav"
        # shellcheck disable=SC2086 # the options are words
        "$native" --quiet --plugin "$so" $options "$song" "$work/linux.wav" >"$work/out" 2>&1 </dev/null ||
            { failed "$name: the Linux render: $(cat "$work/out")"; continue; }
        # shellcheck disable=SC2086
        other "$build" $options "$song" "$work/other.wav" >"$work/out" 2>&1 </dev/null ||
            { failed "$name ($(basename "$build")): the render: $(cat "$work/out")"; continue; }
        if result=$(same_samples "$work/linux.wav" "$work/other.wav" 2>&1); then
            echo "same: $name ($(basename "$build")): $result"
            passes=$((passes + 1))
        else
            failed "$name ($(basename "$build")): $result"
        fi
    done <<CASES
$cases
CASES
done
echo "$passes of $expected the same, $failures failed"
[ "$failures" = 0 ] && [ "$passes" = "$expected" ]
