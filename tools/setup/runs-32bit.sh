#!/bin/sh
# Answers one question for the whole project: does this machine run 32-bit x86
# programs? Some kernels have the ia32 emulation switched off, and then every
# i386 program, 32-bit Wine's loader among them, fails with "Exec format error".
#
#   tools/setup/runs-32bit.sh            prints "yes", or "no: REASON"; status 0 or 1
#   tools/setup/runs-32bit.sh --reason   prints only the reason why not (nothing when yes)
#
# It does not guess from versions or names: it runs a tiny 32-bit program (no
# libraries, exit(42) through int 0x80) and looks at its exit status.
# QELT_RUN_WIN32=0 forces the answer "no", so the path for such machines can be
# tried anywhere. Whether 32-bit Wine is installed is another matter: a
# machine that runs 32-bit code but lacks it is a broken set-up, not a "no".
reason_only=no
[ "$1" = --reason ] && reason_only=yes
answer() {  # answer yes | answer no REASON
    if [ "$1" = yes ]; then
        [ $reason_only = yes ] || echo yes
        exit 0
    fi
    if [ $reason_only = yes ]; then echo "$2"; else echo "no: $2"; fi
    exit 1
}
if [ "${QELT_RUN_WIN32:-}" = 0 ]; then
    answer no "this machine runs no 32-bit x86 code (QELT_RUN_WIN32=0 says so)"
fi

here=$(cd "$(dirname "$0")" && pwd)
root=$(cd "$here/../.." && pwd)
# The set-up could not install 32-bit Wine (tools/setup/install-deps.sh says
# why in this file) and its loader is indeed missing: for the project the
# answer is no, as on such a kernel. (The virtual machine sees the same tree
# but has its own 32-bit Wine.)
if [ -f "$root/build/wine32-unavailable" ] && [ ! -e /usr/lib/wine/wine ]; then
    answer no "32-bit Wine could not be installed here: $(head -n 1 "$root/build/wine32-unavailable")"
fi
# try DIR: writes the probe there and runs it; sets status and error.
try() {
    mkdir -p "$1" 2>/dev/null && [ -w "$1" ] || return 1
    probe=$(mktemp "$1/.qelt-i386-probe.XXXXXX") || return 1
    {
        printf '\177\105\114\106\001\001\001\000\000\000\000\000\000\000\000\000'
        printf '\002\000\003\000\001\000\000\000\124\200\004\010\064\000\000\000'
        printf '\000\000\000\000\000\000\000\000\064\000\040\000\001\000\000\000'
        printf '\000\000\000\000\001\000\000\000\000\000\000\000\000\200\004\010'
        printf '\000\200\004\010\140\000\000\000\140\000\000\000\005\000\000\000'
        printf '\000\020\000\000\270\001\000\000\000\273\052\000\000\000\315\200'
    } >"$probe"
    chmod 755 "$probe"
    error=$( ("$probe") 2>&1)
    status=$?
    rm -f "$probe"
    return 0
}
# The build folder first: /tmp may be mounted noexec. A folder where programs
# may not run at all says nothing about 32-bit code: the next one is tried.
for dir in "${QELT_PROBE_DIR:-$root/build}" "${TMPDIR:-/tmp}" /dev/shm "$HOME"; do
    try "$dir" || continue
    [ $status = 42 ] && answer yes
    case "$error" in *"Exec format error"*|*"exec format error"*) break ;; esac
done
[ -n "${status:-}" ] || answer no "the 32-bit test program could not be written anywhere"
case "$error" in
    *"Exec format error"*|*"exec format error"*)
        answer no "this machine runs no 32-bit x86 code (a 32-bit test program could not run: Exec format error)" ;;
esac
answer no "this machine runs no 32-bit x86 code (a 32-bit test program could not run: status $status${error:+: $error})"
