#!/bin/sh
# The closing lines of `make test` on a machine that runs no 32-bit x86 code:
# where the 32-bit Windows tests ran (in the virtual machine), or how many of
# them were skipped and why. Prints nothing where the machine runs 32-bit code
# (they ran here).
#   skipped-32bit.sh WIN32-CTEST-OUTPUT
here=$(cd "$(dirname "$0")" && pwd)
why=$("$here/runs-32bit.sh" --reason) && exit 0
output="$1"
# (CTest in the virtual machine writes to its serial terminal: coloured lines
# that end in CR LF.)
esc=$(printf '\033')
plain() { tr -d '\r' <"$output" 2>/dev/null | sed -e "s/$esc\[[0-9;]*m//g"; }
total=$(plain | sed -n 's/.* tests failed out of \([0-9]*\)$/\1/p' | tail -n 1)
vm=$(plain | sed -n 's/^win32-vm: \([0-9]* s\) in the virtual machine$/\1/p')
if [ -n "$vm" ]; then
    echo "32-bit Windows: the ${total:-?} tests of build/win32 ran in a virtual machine ($vm): $why."
    echo "  The comparisons across builds here left the 32-bit DLL out; its arithmetic was played bit for bit"
    echo "  in a 32-bit Linux build (build/linux32)."
    exit 0
fi
skipped=$(plain | grep -c '(Skipped)$')
echo "32-bit Windows: ${skipped:-0} of ${total:-?} tests skipped (build/win32), and the 32-bit DLL left out of the"
echo "  comparisons across builds: $why."
plain | sed -n 's/^win32-vm: no virtual machine: /  No virtual machine for them either: /p'
echo "  The 32-bit DLL's file was checked, and its arithmetic played bit for bit in a 32-bit Linux build"
echo "  (build/linux32). The 32-bit Windows suite runs where the kernel runs 32-bit code: see the README."
