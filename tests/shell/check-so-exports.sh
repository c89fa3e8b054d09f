#!/bin/sh
# A Linux plug-in binary must show hosts its entries and nothing else (hosts
# load many plug-ins into one process), and need only the C library, libm and
# the libraries named (the C++ runtime is linked in).
#   check-so-exports.sh FILE "ENTRY..." ["LIBRARY..."]
# e.g. the VST .so: "VSTPluginMain main" "libX11 libcairo"; the LV2 DSP
# binary: "lv2_descriptor" and nothing more.
so="$1"
entries="$2"
libraries="$3"
[ -f "$so" ] || { echo "no such shared object: $so"; exit 1; }
[ -n "$entries" ] || { echo "usage: $0 FILE \"ENTRY...\" [\"LIBRARY...\"]"; exit 1; }
status=0

exports=$(nm -D --defined-only "$so" | awk '{print $NF}' | sort -u | tr '\n' ' ')
wanted=$(printf '%s\n' $entries | sort -u | tr '\n' ' ')
echo "exports: $exports"
[ "$exports" = "$wanted" ] || { echo "exports must be exactly: $wanted"; status=1; }
for name in $entries; do
    nm -D --defined-only "$so" | grep -Eq "^[0-9a-f]+ T $name\$" || { echo "$name is not a function"; status=1; }
done

needs=$(readelf -d "$so" | sed -n 's/.*(NEEDED).*\[\(.*\)\]/\1/p' | tr '\n' ' ')
echo "needs: $needs"
for lib in $needs; do
    case "$lib" in
        libc.so.*|libm.so.*|libpthread.so.*|libdl.so.*|librt.so.*|ld-linux-x86-64.so.*) continue ;;
    esac
    allowed=no
    for name in $libraries; do
        case "$lib" in "$name".so.*) allowed=yes ;; esac
    done
    [ $allowed = yes ] || { echo "not a library it may need: $lib"; status=1; }
done

missing=$(ldd "$so" | grep "not found")
[ -z "$missing" ] || { echo "unresolved: $missing"; status=1; }
exit $status
