#!/bin/sh
# Prints 32 or 64: the width of an x86 Windows program or DLL, read from its
# PE header (the machine field). Anything else is an error with one line that
# names the file and says what it is instead.
#
#   tools/pe-width/pe-width.sh FILE
file="$1"
fail() {
    echo "$file: $1" >&2
    exit 1
}
[ -n "$file" ] || { echo "usage: $0 FILE" >&2; exit 1; }
[ -f "$file" ] && [ -r "$file" ] || fail "cannot read the file"

# bytes OFFSET COUNT: the bytes there as lower-case hex pairs, one per line;
# fewer when the file ends first.
bytes() { od -An -v -tx1 -j "$1" -N "$2" "$file" 2>/dev/null | tr -s ' \n' '\n\n' | sed '/^$/d'; }
# A little-endian number from COUNT bytes at OFFSET (empty if the file is shorter).
number() {
    hex=$(bytes "$1" "$2" | sed '1!G;h;$!d' | tr -d '\n')
    [ ${#hex} = $(($2 * 2)) ] && echo $((0x$hex))
}

[ "$(bytes 0 2 | tr -d '\n')" = 4d5a ] || {
    case "$(bytes 0 4 | tr -d '\n')" in
        7f454c46) fail "a Linux or Unix program (ELF), not a Windows DLL" ;;
        *) fail "not a Windows program or DLL (no MZ header)" ;;
    esac
}
pe=$(number 60 4)
[ -n "$pe" ] || fail "truncated MZ header"
[ "$(bytes "$pe" 4 | tr -d '\n')" = 50450000 ] || fail "an MS-DOS program, not a Windows DLL (no PE header at $pe)"
machine=$(number $((pe + 4)) 2)
case "$machine" in
    332) echo 32 ;;     # 0x014c, i386
    34404) echo 64 ;;   # 0x8664, x86-64
    "") fail "truncated PE header" ;;
    *) fail "a Windows DLL for another processor (machine 0x$(printf %04x "$machine")), not x86 or x86-64" ;;
esac
