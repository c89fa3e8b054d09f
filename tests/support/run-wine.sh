#!/bin/sh
# Runs a Windows program under Wine in the project's private prefix for its
# width, with a time limit so a hung or crashed program cannot stall the test
# run. 32-bit programs run in build/wineprefix (a 32-bit prefix, as a 32-bit
# host has it), 64-bit ones in build/wineprefix64; WINEPREFIX overrides both.
here=$(cd "$(dirname "$0")" && pwd)
root=$(cd "$here/../.." && pwd)
width=$("$root/tools/pe-width/pe-width.sh" "$1") || exit 1
if [ "$width" = 64 ]; then
    export WINEPREFIX="${WINEPREFIX:-$root/build/wineprefix64}"
    export WINEARCH=win64
else
    export WINEPREFIX="${WINEPREFIX:-$root/build/wineprefix}"
    export WINEARCH=win32
fi
export WINEDEBUG="${WINEDEBUG:--all}"
export WINEDLLOVERRIDES="${WINEDLLOVERRIDES:-mscoree,mshtml=;winemenubuilder.exe=d}"
"$here/wine-prefix.sh" || exit 1
exec timeout --kill-after=10 "${QELT_WINE_TIMEOUT:-300}" wine "$@"
