#!/bin/sh
# Creates the private Wine prefix of the width WINEARCH names (win32 or win64)
# once, serialised for parallel test runs, with the loader WINELOADER names,
# and turns off the crash dialog, which would otherwise wait for a click
# forever. A prefix that cannot be made is reported in one line with Wine's
# last words, and nothing is marked ready.
: "${WINEPREFIX:?}" "${WINEARCH:?}" "${WINELOADER:?}"
mkdir -p "$(dirname "$WINEPREFIX")" || exit 1
[ -f "$WINEPREFIX/.qelt-ready" ] && exit 0
exec 9>"$WINEPREFIX.lock"
flock 9
[ -f "$WINEPREFIX/.qelt-ready" ] && exit 0
log="$WINEPREFIX.log"
# wineboot prints complaints it survives (on a 64-bit-only machine, the
# 32-bit half of a wow64 prefix); what counts is the registry it leaves.
timeout 300 "$WINELOADER" wineboot -i >"$log" 2>&1
# The registry reaches the disk when the wine server ends.
timeout 60 wineserver -w
if [ ! -f "$WINEPREFIX/system.reg" ]; then
    echo "wine-prefix: could not make the $WINEARCH Wine prefix $WINEPREFIX with $WINELOADER:" \
         "$(grep -v '^ *$' "$log" | tail -n 2 | tr '\n' ' ')" >&2
    exit 1
fi
for key in 'HKCU\Software\Wine\WineDbg /v ShowCrashNotification /t REG_DWORD /d 0' \
           'HKLM\Software\Microsoft\Windows NT\CurrentVersion\AeDebug /v Auto /t REG_SZ /d 1' \
           'HKLM\Software\Microsoft\Windows NT\CurrentVersion\AeDebug /v Debugger /t REG_SZ /d false'; do
    path="${key%% /v *}"
    # shellcheck disable=SC2086 # the value's words
    timeout 120 "$WINELOADER" reg add "$path" /v ${key#* /v } /f >>"$log" 2>&1 || {
        echo "wine-prefix: could not turn off the crash dialog in $WINEPREFIX ($path)" >&2
        exit 1
    }
done
timeout 60 wineserver -w
touch "$WINEPREFIX/.qelt-ready"
