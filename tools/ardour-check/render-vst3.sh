#!/bin/bash
# render-vst3.sh BUNDLE.vst3 OUT.wav [NOTES]
#
# Plays a note pattern through a Linux VST 3 instrument hosted by Ardour 7
# headless (ardour7-lua, Dummy backend) and checks the render. The bundle is
# put into ~/.vst3 of a throwaway HOME, where Ardour looks by itself, and
# found there by its VST 3 class name (PLUGIN_NAME, "Qelt ePiano").
#
# stdout gets one line: "duration_s=... peak_dbfs=... rms_dbfs=...
# onset_s=..." on success, "FAIL: <why>" otherwise; progress goes to stderr.
# Exit status: 0 ok, 2 usage or a missing tool, 3 not loaded or not an
# instrument, 4 crashed, 5 silent, 6 unusable render (length, NaN/Inf),
# 7 timed out, 8 other host error, 9 wrong pitch (RENDER_CHECK_PITCH=1).
#
# Environment: PLUGIN_NAME, RENDER_RATE (48000), RENDER_TAIL_S (1.5),
# RENDER_TIMEOUT_S (150), RENDER_TMP (/tmp), RENDER_KEEP=1 (keep the work
# folder with scan.log, host.log and the session), and the checks' knobs in
# rendercheck.py. NOTES: see rendercheck.py.
set -u

HERE=$(cd "$(dirname "$0")" && pwd)
ARDOUR_LIB=/usr/lib/ardour7
SCANNER=$ARDOUR_LIB/ardour-vst3-scanner
LUA_HOST=/usr/bin/ardour7-lua
PY=/usr/bin/python3

NAME=${PLUGIN_NAME:-Qelt ePiano}
RATE=${RENDER_RATE:-48000}
TAIL_S=${RENDER_TAIL_S:-1.5}
HOST_TIMEOUT=${RENDER_TIMEOUT_S:-150}
SCAN_TIMEOUT=60

WORK=
HOST_PID=

say() { echo "render-vst3.sh: $*" >&2; }
fail() {
	local code=$1
	shift
	echo "FAIL: $*"
	exit "$code"
}

cleanup() {
	# The host runs under timeout(1), which leads a process group of its own.
	if [ -n "$HOST_PID" ] && kill -0 -- "-$HOST_PID" 2>/dev/null; then
		kill -TERM -- "-$HOST_PID" 2>/dev/null
		sleep 1
		kill -KILL -- "-$HOST_PID" 2>/dev/null
	fi
	if [ -n "$WORK" ] && [ -d "$WORK" ]; then
		if [ "${RENDER_KEEP:-0}" = 1 ]; then say "kept work folder $WORK"; else rm -rf "$WORK"; fi
	fi
}
trap cleanup EXIT
trap 'exit 130' INT TERM

signame() { kill -l "$1" 2>/dev/null | sed 's/^/SIG/' || echo "signal $1"; }

[ $# -ge 2 ] && [ $# -le 3 ] || fail 2 "usage: render-vst3.sh BUNDLE.vst3 OUT.wav [NOTES]"
BUNDLE=${1%/}
OUT=$2
NOTES=${3:-"C4:0:1:100 C4+E4+G4:1:1:100"}
bundle_name=$(basename "$BUNDLE")
module=${bundle_name%.vst3}
binary=Contents/$(uname -m)-linux/$module.so
case $bundle_name in *.vst3) ;; *) fail 2 "not a .vst3 bundle: $BUNDLE" ;; esac
[ -f "$BUNDLE/$binary" ] || fail 2 "no $binary in $BUNDLE"
for tool in "$SCANNER" "$LUA_HOST" "$PY"; do
	[ -x "$tool" ] || fail 2 "missing $tool (tools/setup/install-deps.sh installs ardour)"
done
OUT_DIR=$(dirname "$OUT")
[ -d "$OUT_DIR" ] && [ -w "$OUT_DIR" ] || fail 2 "cannot write into $OUT_DIR"
OUT=$(cd "$OUT_DIR" && pwd)/$(basename "$OUT")

parsed=$("$PY" "$HERE/rendercheck.py" notes "$NOTES" "$RATE" "$TAIL_S") || fail 2 "${parsed#FAIL: }"
NOTES_NORM=$(sed -n 1p <<<"$parsed")
TOTAL=$(sed -n 2p <<<"$parsed")
PITCH_WINDOW=$(sed -n 3p <<<"$parsed")

ulimit -c 0
START_NS=$(date +%s%N)
WORK=$(mktemp -d "${RENDER_TMP:-/tmp}/ardour-vst3.XXXXXX") || fail 2 "cannot make a work folder"
WORK=$(cd "$WORK" && pwd)  # absolute: Ardour keys its cache on the path
export HOME=$WORK/home XDG_CONFIG_HOME=$WORK/config XDG_CACHE_HOME=$WORK/cache
mkdir -p "$HOME/.vst3" "$XDG_CONFIG_HOME/ardour7" "$XDG_CACHE_HOME"
unset VST3_PATH LXVST_PATH VST_PATH

# The bundle where a user installs it. Ardour trusts its cache only when the
# binary is strictly older than the cache file (whole seconds): the copy
# gets an old time.
COPY=$HOME/.vst3/$bundle_name
cp -r "$BUNDLE" "$COPY" || fail 2 "cannot copy $BUNDLE"
find "$COPY" -exec touch -d '2000-01-01 00:00:00' {} +

# 1. The scan: headless Ardour only reads the scanner's cache. The scanner
# exits 0 even when it cannot load the module; its cache file tells.
say "scanning $COPY"
LD_LIBRARY_PATH=$ARDOUR_LIB${LD_LIBRARY_PATH:+:$LD_LIBRARY_PATH} \
	timeout -k 5 "$SCAN_TIMEOUT" "$SCANNER" -v -f "$COPY" >"$WORK/scan.log" 2>&1
rc=$?
if [ $rc -eq 124 ] || [ $rc -eq 137 ]; then
	fail 7 "the scan timed out after ${SCAN_TIMEOUT}s"
elif [ $rc -gt 128 ]; then
	fail 4 "the plug-in crashed while being scanned ($(signame $((rc - 128))))"
fi
sig=$(sed -n 's/^Error: signal \([0-9]*\).*/\1/p' "$WORK/scan.log" | head -n 1)
[ -z "$sig" ] || fail 4 "the plug-in crashed while being scanned ($(signame "$sig"))"
cache=$(grep -l '<VST3Info' "$XDG_CACHE_HOME"/ardour7/vst/*.v3i 2>/dev/null | head -n 1)
if [ -z "$cache" ]; then
	why=$(grep -m1 -E '^\[(ERROR|WARNING)\]' "$WORK/scan.log" | sed 's/^\[[A-Z]*\]: //')
	fail 3 "the bundle cannot be loaded: ${why:-the scanner wrote no VST3 class for it (rc=$rc)}"
fi
info=$(grep -o '<VST3Info[^>]*' "$cache" | head -n 1)
grep -qF "name=\"$NAME\"" <<<"$info" || fail 3 "the scanner saw no class named '$NAME': ${info:0:300}"
grep -q 'n_midi_inputs="[1-9]' <<<"$info" && grep -q 'n_outputs="2"' <<<"$info" ||
	fail 3 "not a stereo instrument with a MIDI input to Ardour: ${info:0:300}"
say "scan: $(grep -o 'category="[^"]*"' <<<"$info") $(grep -o 'n_outputs="[0-9]*"' <<<"$info")"

# 2. The host: session, MIDI track, the instrument, notes, bounce.
say "rendering in Ardour (Dummy backend), $TOTAL samples at $RATE Hz"
cd "$WORK" || fail 2 "cannot enter $WORK"
run_host() {
	timeout -k 5 "$HOST_TIMEOUT" stdbuf -oL -eL "$LUA_HOST" "$HERE/render.lua" \
		"$WORK" "$NAME" "$RATE" "$TOTAL" "$NOTES_NORM" >"$WORK/host.log" 2>&1 </dev/null &
	HOST_PID=$!
	wait "$HOST_PID"
	rc=$?
}
run_host
# Ardour 7.3 may lose a race in its own port registration while setting up
# the track, before the plug-in plays: one more try on a fresh session.
if [ $rc -ne 0 ] && grep -q 'Port already exists' "$WORK/host.log" &&
	! grep -q '^RENDER-STEP: rendering' "$WORK/host.log"; then
	say "Ardour lost its port-registration race while setting up the track; once more"
	mv "$WORK/host.log" "$WORK/host.try1.log"
	rm -rf "$WORK/session"
	run_host
fi
last_step=$(grep '^RENDER-STEP: ' "$WORK/host.log" | tail -n 1 | sed 's/^RENDER-STEP: //')
render_fail=$(grep -m1 '^RENDER-FAIL: ' "$WORK/host.log" | sed 's/^RENDER-FAIL: //')
if [ $rc -eq 124 ] || [ $rc -eq 137 ]; then
	fail 7 "the host timed out after ${HOST_TIMEOUT}s while ${last_step:-starting}"
elif [ $rc -gt 128 ]; then
	fail 4 "the host crashed ($(signame $((rc - 128)))) while ${last_step:-starting}"
elif [ -n "$render_fail" ]; then
	case $render_fail in
	*instantiate* | *index*) fail 3 "the plug-in cannot be loaded: $render_fail" ;;
	*) fail 8 "host: $render_fail" ;;
	esac
elif [ $rc -ne 0 ] || ! grep -q '^RENDER-OK:' "$WORK/host.log" || ! grep -q '^RENDER-CLOSED' "$WORK/host.log"; then
	why=$(grep -m1 -E '^\[(ERROR|FATAL)\]|^Error' "$WORK/host.log")
	fail 8 "the host exited with status $rc while ${last_step:-starting}${why:+: $why}"
fi
# The instance Ardour made is the bundle in ~/.vst3, not one installed elsewhere.
grep -q "^RENDER-INFO: plugin .* path=$HOME/.vst3/" "$WORK/host.log" ||
	fail 3 "Ardour took '$NAME' from elsewhere: $(grep -m1 '^RENDER-INFO: plugin' "$WORK/host.log")"
grep '^RENDER-INFO: ' "$WORK/host.log" | sed 's/^RENDER-INFO: /render-vst3.sh: host: /' >&2

# 3. The host's per-channel files joined and checked.
mapfile -t files < <(sed -n 's/^RENDER-FILE: //p' "$WORK/host.log")
[ ${#files[@]} -eq 2 ] || fail 6 "the bounce gave ${#files[@]} channels, not 2"
result=$("$PY" "$HERE/rendercheck.py" merge "$WORK/render.wav" "${files[@]}") || fail 6 "${result#FAIL: }"
result=$("$PY" "$HERE/rendercheck.py" analyze "$WORK/render.wav" "$TOTAL" "$PITCH_WINDOW")
rc=$?
[ $rc -eq 0 ] || fail "$rc" "${result#FAIL: }"
cp "$WORK/render.wav" "$OUT" || fail 2 "cannot write $OUT"
say "wrote $OUT in $((($(date +%s%N) - START_NS) / 1000000)) ms"
echo "$result"
