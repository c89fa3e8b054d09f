#!/bin/sh
# Runs a Windows program under Wine in the project's private prefix for its
# width, with a time limit so a hung or crashed program cannot stall the test
# run. 32-bit programs run in build/wineprefix (a 32-bit prefix, as a 32-bit
# host has it), 64-bit ones in build/wineprefix64; WINEPREFIX overrides both.
#
# 64-bit programs are started by the 64-bit loader itself: Debian's wine
# script always picks the 32-bit loader when wine32 is installed, and that
# fails on a kernel that runs no 32-bit code. A 32-bit program on such a
# machine is not run: the reason is printed and the status is 77, which the
# build trees' tests report as skipped.
here=$(cd "$(dirname "$0")" && pwd)
root=$(cd "$here/../.." && pwd)
width=$("$root/tools/pe-width/pe-width.sh" "$1") || exit 1
loader_dir="${QELT_WINE_LOADER_DIR:-/usr/lib/wine}"
if [ "$width" = 64 ]; then
    export WINEPREFIX="${WINEPREFIX:-$root/build/wineprefix64}"
    export WINEARCH=win64
    loader="$loader_dir/wine64"
    [ -x "$loader" ] || { echo "run-wine: the 64-bit Wine loader $loader is missing (install wine64)" >&2; exit 1; }
    export WINELOADER="$loader"
else
    why=$("$root/tools/setup/runs-32bit.sh" --reason) || { echo "skipped: $why"; exit 77; }
    export WINEPREFIX="${WINEPREFIX:-$root/build/wineprefix}"
    export WINEARCH=win32
    loader="$loader_dir/wine"
    [ -x "$loader" ] || {
        echo "run-wine: the 32-bit Wine loader $loader is missing, though this machine runs 32-bit code" \
             "(install wine32:i386: tools/setup/install-deps.sh)" >&2
        exit 1
    }
    export WINELOADER="$loader"
fi
export WINEDEBUG="${WINEDEBUG:--all}"
export WINEDLLOVERRIDES="${WINEDLLOVERRIDES:-mscoree,mshtml=;winemenubuilder.exe=d}"
"$here/wine-prefix.sh" || exit 1
exec timeout --kill-after=10 "${QELT_WINE_TIMEOUT:-300}" "$loader" "$@"
