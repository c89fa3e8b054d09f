#!/bin/sh
# Ardour 7 (headless, Dummy backend) finds the bundle in a user's ~/.vst3,
# takes it as a stereo instrument and plays notes through it: a note then a
# chord for the length they were written, finite and well above silence;
# and A4 alone half a second in, starting there and at its pitch.
#   ardour-test.sh SOURCE-DIR BUNDLE
source="$1"
bundle="$2"
. "$source/tests/support/tally.sh"
need_tools ardour7-lua python3
[ -x /usr/lib/ardour7/ardour-vst3-scanner ] ||
    { echo "FAILED: no /usr/lib/ardour7/ardour-vst3-scanner (tools/setup/install-deps.sh installs ardour)"; exit 1; }
render="$source/tools/ardour-check/render-vst3.sh"
out=$(mktemp -d)
trap 'rm -rf "$out"' EXIT

# One field of the result line.
field() { echo "$1" | tr ' ' '\n' | sed -n "s/^$2=//p"; }
# True when the decimal A lies within [LOW, HIGH].
within() { python3 -c "import sys; sys.exit(not $2 <= float('$1') <= $3)" 2>/dev/null; }

line=$("$render" "$bundle" "$out/chord.wav")
status=$?
echo "C4 then C-E-G: $line"
check "the note and the chord render (status $status)" [ "$status" = 0 ]
check "the render lasts the notes and their tail" [ "$(field "$line" duration_s)" = 3.500 ]
check "the peak is well above silence" within "$(field "$line" peak_dbfs)" -30 0
check "the first note sounds at once" within "$(field "$line" onset_s)" 0 0.01

line=$(RENDER_CHECK_PITCH=1 "$render" "$bundle" "$out/a4.wav" "A4:0.5:0.5:127")
status=$?
echo "A4 at 0.5 s: $line"
check "A4 renders at its pitch (status $status)" [ "$status" = 0 ]
check "A4 starts where it was written" within "$(field "$line" onset_s)" 0.5 0.51
tally
