#!/bin/sh
# tools/pe-width/pe-width.sh on headers made here: the two x86 widths, and
# every kind of file it must refuse with status 1 and a line saying what the
# file is; and the renderer refusing such a file as its plug-in. The real DLLs
# are checked by their trees' import test.
here=$(cd "$(dirname "$0")" && pwd)
tool="$here/../../tools/pe-width/pe-width.sh"
work=$(mktemp -d) || exit 1
trap 'rm -rf "$work"' EXIT

python3 - "$work" <<'PY'
import struct, sys
work = sys.argv[1]
def pe(machine, pe_at=0x80, cut=None):
    b = bytearray(b"MZ" + bytes(pe_at - 2))
    struct.pack_into("<I", b, 0x3C, pe_at)
    b += b"PE\0\0" + struct.pack("<H", machine) + bytes(18)
    return bytes(b[:cut] if cut else b)
files = {
    "i386.dll": pe(0x014C),
    "amd64.dll": pe(0x8664),
    "far-header.dll": pe(0x8664, pe_at=0x400),
    "arm64.dll": pe(0xAA64),
    "dos.exe": pe(0x014C)[:0x80] + b"NE\0\0" + bytes(20),
    "lfanew-past-end.dll": pe(0x8664)[:0x40],
    "cut-mz.dll": b"MZ" + bytes(20),
    "cut-pe.dll": pe(0x8664, cut=0x80 + 5),
    "elf.so": b"\x7fELF\x02\x01\x01" + bytes(57),
    "text.dll": b"not a DLL at all\n",
    "empty.dll": b"",
}
for name, data in files.items():
    open(work + "/" + name, "wb").write(data)
PY

passes=0
failures=0
# case FILE STATUS OUTPUT: the tool's status and its one line (stdout or stderr).
while read -r file status expected; do
    out=$("$tool" "$work/$file" 2>&1)
    got=$?
    case "$out" in
        "$expected"|"$work/$file: $expected") ok=yes ;;
        *) ok=no ;;
    esac
    if [ "$got" = "$status" ] && [ $ok = yes ] && [ "$(printf '%s\n' "$out" | wc -l)" = 1 ]; then
        passes=$((passes + 1))
    else
        echo "FAILED: $file: status $got, said: $out"
        echo "  wanted status $status and: $expected"
        failures=$((failures + 1))
    fi
done <<'EOF_CASES'
i386.dll 0 32
amd64.dll 0 64
far-header.dll 0 64
arm64.dll 1 a Windows DLL for another processor (machine 0xaa64), not x86 or x86-64
dos.exe 1 an MS-DOS program, not a Windows DLL (no PE header at 128)
lfanew-past-end.dll 1 an MS-DOS program, not a Windows DLL (no PE header at 128)
cut-mz.dll 1 truncated MZ header
cut-pe.dll 1 truncated PE header
elf.so 1 a Linux or Unix program (ELF), not a Windows DLL
text.dll 1 not a Windows program or DLL (no MZ header)
empty.dll 1 not a Windows program or DLL (no MZ header)
missing.dll 1 cannot read the file
EOF_CASES

# The renderer takes the Windows program of the DLL's width; a Windows file of
# neither width is refused before anything runs, and no WAV is written. (A file
# without the MZ mark is a Linux plug-in, played natively.)
render="$here/../../tools/render-midi/qelt-render"
for file in arm64.dll dos.exe cut-pe.dll; do
    err=$("$render" --plugin "$work/$file" "$work/song.mid" "$work/out.wav" 2>&1 >/dev/null)
    status=$?
    if [ $status = 1 ] && [ ! -e "$work/out.wav" ] &&
        [ "$err" = "qelt-render: cannot play $("$tool" "$work/$file" 2>&1)" ]; then
        passes=$((passes + 1))
    else
        echo "FAILED: qelt-render --plugin $file: status $status, said: $err"
        failures=$((failures + 1))
    fi
done

echo "$passes passed, $failures failed"
[ $failures = 0 ]
