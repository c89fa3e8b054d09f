#!/bin/sh
# The installs build first: `make install`, `make install-user` and `make deb`
# bring the plug-ins up to date from the sources before they copy them, also
# when the files are there already (after a git pull they would be stale).
# Read from what `make -n` would run, so nothing is built or installed here.
#   install-rebuilds-test.sh SOURCE-DIR
source="$1"
# Not the make that runs this test: its job slots are not ours.
unset MAKEFLAGS MFLAGS MAKELEVEL
failures=0
for target in install install-user deb; do
    plan=$(make -s -n -C "$source" "$target" PREFIX=/nonexistent DESTDIR=/nonexistent HOME=/nonexistent 2>&1) ||
        { echo "FAILED: make -n $target: $plan"; failures=$((failures + 1)); continue; }
    build=$(printf '%s\n' "$plan" | grep -n 'cmake --build build/linux .*--target Qelt-epiano Qelt-epiano-lv2 Qelt-epiano-vst3' |
        head -n 1 | cut -d: -f1)
    case $target in
        deb) copies='tools/package/make-deb.sh build/linux' ;;
        *) copies='install -m 644 build/linux/Qelt-epiano.so' ;;
    esac
    copy=$(printf '%s\n' "$plan" | grep -n "$copies" | head -n 1 | cut -d: -f1)
    if [ -n "$build" ] && [ -n "$copy" ] && [ "$build" -lt "$copy" ]; then
        echo "$target: builds (line $build of its plan), then copies (line $copy)"
    else
        echo "FAILED: $target copies without building first:"
        printf '%s\n' "$plan" | sed 's/^/  /'
        failures=$((failures + 1))
    fi
done
[ $failures = 0 ]
