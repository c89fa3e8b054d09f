#!/bin/sh
# Runs a 32-bit x86 Linux program: natively where this machine runs 32-bit
# code, else under Debian's user-mode emulator, qemu-i386-static.
#   run-i386.sh PROGRAM ARGS...
root=$(cd "$(dirname "$0")/../.." && pwd)
"$root/tools/setup/runs-32bit.sh" >/dev/null && exec "$@"
emulator=$(command -v qemu-i386-static) || {
    echo "run-i386: $("$root/tools/setup/runs-32bit.sh" --reason), and qemu-i386-static is missing" \
         "(install qemu-user-static: tools/setup/install-deps.sh)" >&2
    exit 1
}
exec "$emulator" "$@"
