#!/bin/sh
# Runs a test command that starts 32-bit Windows programs, or reports it as
# skipped (status 77) on a machine that runs no 32-bit x86 code.
#   needs-32bit.sh COMMAND...
root=$(cd "$(dirname "$0")/../.." && pwd)
why=$("$root/tools/setup/runs-32bit.sh" --reason) || { echo "skipped: $why"; exit 77; }
exec "$@"
