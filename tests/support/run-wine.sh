#!/bin/sh
# Runs a Windows program under Wine in the project's private prefix, with a
# time limit so a hung or crashed program cannot stall the test run.
here=$(cd "$(dirname "$0")" && pwd)
root=$(cd "$here/../.." && pwd)
export WINEPREFIX="${WINEPREFIX:-$root/build/wineprefix}"
export WINEDEBUG="${WINEDEBUG:--all}"
export WINEDLLOVERRIDES="${WINEDLLOVERRIDES:-mscoree,mshtml=;winemenubuilder.exe=d}"
export WINEARCH=win32
"$here/wine-prefix.sh" || exit 1
exec timeout --kill-after=10 "${QELT_WINE_TIMEOUT:-300}" wine "$@"
