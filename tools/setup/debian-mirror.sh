#!/bin/sh
# Prints the Debian mirror this machine's apt uses (empty when none is found):
# the roots that debootstrap makes come from the same place as its packages.
for f in /etc/apt/sources.list.d/*.sources; do
    [ -f "$f" ] && sed -n 's/^URIs: *\([^ ]*debian\/*\)$/\1/p' "$f"
done | head -n 1
[ -f /etc/apt/sources.list ] && sed -n 's/^deb  *\(http[^ ]*debian\/*\)  *[a-z]* .*/\1/p' /etc/apt/sources.list | head -n 1
exit 0
