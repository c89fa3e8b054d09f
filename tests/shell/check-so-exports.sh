#!/bin/sh
# The Linux plug-in must show hosts its entry under both names and nothing
# else (hosts load many plug-ins into one process), and need only what every
# Linux desktop has: glibc, libX11 and cairo (the C++ runtime is linked in).
so="$1"
[ -f "$so" ] || { echo "no such shared object: $so"; exit 1; }
status=0

exports=$(nm -D --defined-only "$so" | awk '{print $NF}' | sort -u | tr '\n' ' ')
echo "exports: $exports"
[ "$exports" = "VSTPluginMain main " ] || { echo "exports must be exactly VSTPluginMain and main"; status=1; }
for name in VSTPluginMain main; do
    nm -D --defined-only "$so" | grep -Eq "^[0-9a-f]+ T $name\$" || { echo "$name is not a function"; status=1; }
done

needs=$(readelf -d "$so" | sed -n 's/.*(NEEDED).*\[\(.*\)\]/\1/p' | tr '\n' ' ')
echo "needs: $needs"
for lib in $needs; do
    case "$lib" in
        libc.so.*|libm.so.*|libpthread.so.*|libdl.so.*|librt.so.*|ld-linux-x86-64.so.*) ;;
        libX11.so.*|libcairo.so.*) ;;
        *) echo "not a library every Linux desktop has: $lib"; status=1 ;;
    esac
done

missing=$(ldd "$so" | grep "not found")
[ -z "$missing" ] || { echo "unresolved: $missing"; status=1; }
exit $status
