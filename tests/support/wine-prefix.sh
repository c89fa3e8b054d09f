#!/bin/sh
# Creates the private Wine prefix of the width WINEARCH names (win32 or win64)
# once, serialised for parallel test runs, and turns off the crash dialog,
# which would otherwise wait for a click forever.
set -e
: "${WINEPREFIX:?}" "${WINEARCH:?}"
mkdir -p "$(dirname "$WINEPREFIX")"
[ -f "$WINEPREFIX/.qelt-ready" ] && exit 0
exec 9>"$WINEPREFIX.lock"
flock 9
[ -f "$WINEPREFIX/.qelt-ready" ] && exit 0
timeout 300 wineboot -i >/dev/null 2>&1 || true
timeout 120 wine reg add 'HKCU\Software\Wine\WineDbg' /v ShowCrashNotification /t REG_DWORD /d 0 /f >/dev/null 2>&1
timeout 120 wine reg add 'HKLM\Software\Microsoft\Windows NT\CurrentVersion\AeDebug' /v Auto /t REG_SZ /d 1 /f >/dev/null 2>&1
timeout 120 wine reg add 'HKLM\Software\Microsoft\Windows NT\CurrentVersion\AeDebug' /v Debugger /t REG_SZ /d 'false' /f >/dev/null 2>&1
timeout 60 wineserver -w || true
touch "$WINEPREFIX/.qelt-ready"
