#!/bin/sh
# The product DLL must be self-contained: it may import Windows system DLLs only,
# and must export its entry undecorated under both names. It must also be of
# the width its build tree is for (32 or 64).
#   check-dll-imports.sh DLL WIDTH
dll="$1"
want="$2"
here=$(cd "$(dirname "$0")" && pwd)
[ -f "$dll" ] || { echo "no such DLL: $dll"; exit 1; }
width=$("$here/../../tools/pe-width/pe-width.sh" "$dll") || exit 1
[ "$width" = "$want" ] || { echo "a $width-bit DLL where a $want-bit one was built"; exit 1; }
case "$width" in
    64) objdump=x86_64-w64-mingw32-objdump ;;
    *) objdump=i686-w64-mingw32-objdump ;;
esac
dump=$($objdump -p "$dll") || exit 1
imports=$(echo "$dump" | sed -n 's/^[[:space:]]*DLL Name: //p' | tr 'A-Z' 'a-z' | sort -u)
echo "imports:" $imports
status=0
for name in $imports; do
    case "$name" in
        kernel32.dll|user32.dll|gdi32.dll|ole32.dll|oleaut32.dll|shell32.dll|msvcrt.dll|advapi32.dll|msimg32.dll|comctl32.dll|comdlg32.dll|winmm.dll|uuid.dll|api-ms-win-*.dll) ;;
        *) echo "not a Windows system DLL: $name"; status=1 ;;
    esac
done
exports=$(echo "$dump" | sed -n '/\[Ordinal\/Name Pointer\] Table/,/^$/p')
for entry in VSTPluginMain main; do
    echo "$exports" | grep -Eq "\] $entry\$" || { echo "entry not exported: $entry"; status=1; }
done
exit $status
