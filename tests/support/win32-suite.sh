#!/bin/bash
# Runs the 32-bit Windows tree's tests where they can run:
# - here, where this machine runs 32-bit x86 code;
# - else in the small virtual machine of tools/win32-vm (Debian's kernel under
#   qemu's software emulation), unless QELT_WIN32_VM=0;
# - else here all the same, where each of them reports itself as skipped,
#   after the line that says why no virtual machine could be had.
# The output is kept in TREE/ctest-output.txt for the run's closing lines.
#   win32-suite.sh WIN32-TREE
set -o pipefail
tree=$(cd "$1" && pwd) || exit 1
root=$(cd "$(dirname "$0")/../.." && pwd)
output="$tree/ctest-output.txt"
rm -f "$output"
here_and_now() {
    cd "$tree" && xvfb-run -a -s "-screen 0 1600x1200x24" ctest --output-on-failure -j "${JOBS:-2}" | tee -a "$output"
}
if "$root/tools/setup/runs-32bit.sh" >/dev/null || [ "${QELT_WIN32_VM:-1}" = 0 ]; then
    here_and_now
    exit
fi
"$root/tools/win32-vm/win32-vm.sh" "$tree" 2>&1 | tee "$output"
status=$?
[ $status = 75 ] || exit $status
here_and_now
