#!/bin/sh
# The one answer to "does this machine run 32-bit x86 code?" and what follows
# from it, tried with a real static 32-bit program (the 32-bit Linux check's
# session renderer):
# - the answer agrees with what happens when that program is started;
# - QELT_RUN_WIN32=0 forces "no" on any machine, and then: 32-bit Windows
#   programs and the scripts that start them are skipped (status 77, one
#   reason), the renderer refuses a 32-bit DLL in one line, and 32-bit Linux
#   programs still run, under qemu-i386-static;
# - the closing lines of a run count the skipped tests, or say that the
#   virtual machine ran them.
#   runs-32bit-test.sh PROGRAM32
program="$1"
root=$(cd "$(dirname "$0")/../.." && pwd)
work=$(mktemp -d) || exit 1
trap 'rm -rf "$work"' EXIT
. "$root/tests/support/tally.sh"
says() { grep -q -- "$2" "$1"; }
reason="this machine runs no 32-bit x86 code"

# The answer against the real program: it runs (and prints its usage) where
# the answer is yes, and cannot even start where it is no.
"$program" >"$work/direct" 2>&1
direct=$?
if answer=$(QELT_RUN_WIN32= "$root/tools/setup/runs-32bit.sh"); then
    echo "this machine runs 32-bit code"
    check "a yes: the 32-bit program runs natively" says "$work/direct" "usage:"
elif [ -f "$root/build/wine32-unavailable" ]; then
    echo "this machine: $answer"
    check "a no for want of 32-bit Wine: the 32-bit program itself runs" says "$work/direct" "usage:"
    check "and the reason names 32-bit Wine" test "${answer#no: 32-bit Wine could not be installed here: }" != "$answer"
else
    echo "this machine: $answer"
    check "a no: the 32-bit program cannot start (status $direct)" test "$direct" = 126
    check "a no gives the reason" test "$answer" = "no: $reason (a 32-bit test program could not run: Exec format error)"
fi

export QELT_RUN_WIN32=0
check "QELT_RUN_WIN32=0 answers no" sh -c "! '$root/tools/setup/runs-32bit.sh' >'$work/answer'"
check "with the reason" says "$work/answer" "^no: $reason"

# A 32-bit PE header is all run-wine.sh reads before it decides.
printf 'MZ' >"$work/app32.exe"
head -c 58 /dev/zero >>"$work/app32.exe"
printf '\100\000\000\000PE\000\000\114\001' >>"$work/app32.exe"
head -c 200 /dev/zero >>"$work/app32.exe"
cp "$work/app32.exe" "$work/plugin32.dll"
WINEPREFIX="$work/never-made" "$root/tests/support/run-wine.sh" "$work/app32.exe" >"$work/wine" 2>&1
check "run-wine skips a 32-bit program with status 77" test $? = 77
check "and says why in one line" test "$(cat "$work/wine")" = "skipped: $reason (QELT_RUN_WIN32=0 says so)"
check "and makes no 32-bit prefix" test ! -e "$work/never-made"
"$root/tests/support/needs-32bit.sh" sh -c 'echo ran' >"$work/gate" 2>&1
check "a script that starts 32-bit programs is skipped with status 77" test $? = 77
check "without running" sh -c "! grep -q ran '$work/gate'"
"$root/tools/render-midi/qelt-render" --plugin "$work/plugin32.dll" "$work/song.mid" "$work/out.wav" \
    >"$work/render" 2>&1
check "the renderer refuses a 32-bit DLL" test $? = 1
check "in one line that says why" sh -c "test \$(wc -l <'$work/render') = 1 && grep -q '32-bit DLL.*$reason' '$work/render'"
"$root/tests/support/run-i386.sh" "$program" >"$work/emulated" 2>&1
check "32-bit Linux programs run under qemu-i386-static" says "$work/emulated" "usage:"

# The closing lines, from a CTest output with two of three tests skipped.
printf '%s\n' "67% tests passed, 0 tests failed out of 3" "The following tests did not run:" \
    "	  1 - a (Skipped)" "	  2 - b (Skipped)" >"$work/ctest"
"$root/tools/setup/skipped-32bit.sh" "$work/ctest" >"$work/summary"
check "the run's closing lines count the skipped tests" says "$work/summary" "^32-bit Windows: 2 of 3 tests skipped"
check "and say why" says "$work/summary" "$reason"
printf '%s\n' "win32-vm: no virtual machine: making the image needs root (debootstrap)" >>"$work/ctest"
"$root/tools/setup/skipped-32bit.sh" "$work/ctest" >"$work/summary"
check "and why no virtual machine ran them" says "$work/summary" "No virtual machine.*needs root"
printf '\033[0;32m100%% tests passed\033[0;0m, 0 tests failed\033[0;0m out of 29\r\nwin32-vm: 894 s in the virtual machine\n' \
    >"$work/ctest"
"$root/tools/setup/skipped-32bit.sh" "$work/ctest" >"$work/summary"
check "or that they ran in the virtual machine" says "$work/summary" "the 29 tests of build/win32 ran in a virtual machine (894 s)"

tally
