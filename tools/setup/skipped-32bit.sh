#!/bin/sh
# The closing lines of `make test` on a machine that runs no 32-bit x86 code:
# how many of the 32-bit Windows tests were skipped, and why. Prints nothing
# where the machine runs 32-bit code (nothing is skipped there).
#   skipped-32bit.sh WIN32-CTEST-OUTPUT
here=$(cd "$(dirname "$0")" && pwd)
why=$("$here/runs-32bit.sh" --reason) && exit 0
output="$1"
skipped=$(grep -c '(Skipped)$' "$output" 2>/dev/null)
total=$(sed -n 's/.* tests failed out of \([0-9]*\)$/\1/p' "$output" 2>/dev/null | tail -n 1)
echo "32-bit Windows: ${skipped:-0} of ${total:-?} tests skipped (build/win32), and the 32-bit DLL left out of the"
echo "  comparisons across builds: $why."
echo "  The 32-bit DLL's file was checked, and its arithmetic played bit for bit in a 32-bit Linux build"
echo "  (build/linux32). The 32-bit Windows suite runs where the kernel runs 32-bit code: see the README."
