#!/bin/sh
# The Linux products on Debian 11 (glibc 2.31), in a root that
# tools/setup/debian11-root.sh makes once: the binaries load there with every
# symbol bound, the glibc stand-ins work there, and qelt-render plays the demo
# through the VST .so and through the LV2 and VST 3 bundles, and shows the VST
# editor, byte for byte as the same products do on this machine.
#   older-linux-test.sh SOURCE-DIR TREE
# Status 77 (skipped), with one line saying why, when no root can be had.
source="$1"
tree="$2"
. "$source/tests/support/tally.sh"
root=$("$source/tools/setup/debian11-root.sh")
case $? in
    0) ;;
    75) echo "skipped: no Debian 11 root to run in"; exit 77 ;;
    *) echo "FAILED: tools/setup/debian11-root.sh"; exit 1 ;;
esac
need_tools chroot Xvfb cmp
glibc=$(chroot "$root" /lib/x86_64-linux-gnu/libc.so.6 | head -n 1)
echo "in $root: $glibc"
case "$glibc" in *" 2.31"*) ;; *) echo "FAILED: the root's glibc is not 2.31"; exit 1 ;; esac

inside=/opt/qelt-check.$$
work="$root$inside"
xvfb=""
trap 'rm -rf "$work"; [ -z "$xvfb" ] || kill "$xvfb" 2>/dev/null' EXIT
mkdir -p "$work" && cp -r "$tree/Qelt-epiano.so" "$tree/Qelt-epiano.lv2" "$tree/Qelt-epiano.vst3" "$tree/qelt-render" \
    "$tree/older_glibc_test" \
    "$source/tools/render-midi/demo/demo-phrase.mid" "$work/" || exit 1
run_inside() { chroot "$root" /usr/bin/env -C "$inside" "$@"; }

echo "== the glibc stand-ins, and the binaries loading"
run_inside QELT_LOADS="./Qelt-epiano.so:VSTPluginMain ./Qelt-epiano.lv2/Qelt-epiano-dsp.so:lv2_descriptor \
./Qelt-epiano.lv2/Qelt-epiano-ui.so:lv2ui_descriptor \
./Qelt-epiano.vst3/Contents/x86_64-linux/Qelt-epiano.so:GetPluginFactory" ./older_glibc_test --gtest_brief=1 ||
    failed "older_glibc_test in the Debian 11 root"

echo "== the demo"
"$tree/qelt-render" --plugin "$tree/Qelt-epiano.so" "$work/demo-phrase.mid" "$work/here.wav" >/dev/null ||
    failed "rendering the demo on this machine"
for plugin in Qelt-epiano.so Qelt-epiano.lv2 Qelt-epiano.vst3; do
    if run_inside ./qelt-render --plugin "./$plugin" demo-phrase.mid "$plugin.wav" >"$work/out" 2>&1; then
        cmp "$work/here.wav" "$work/$plugin.wav" && echo "$plugin: the demo as here, $(wc -c <"$work/here.wav") bytes" ||
            failed "$plugin plays the demo differently in the Debian 11 root"
    else
        failed "$plugin: qelt-render in the Debian 11 root: $(tail -n 3 "$work/out")"
    fi
done

echo "== the editor"
# The root's programs reach this machine's X server by its abstract socket.
Xvfb -displayfd 3 -screen 0 1280x1024x24 -nolisten tcp 3>"$work/display" 2>/dev/null &
xvfb=$!
for i in $(seq 50); do [ -s "$work/display" ] && break; sleep 0.2; done
export DISPLAY=":$(cat "$work/display")"
timeout 60 "$tree/qelt-render" --plugin "$tree/Qelt-epiano.so" --shot "$work/here.bmp" >/dev/null ||
    failed "the editor picture on this machine"
if timeout 60 chroot "$root" /usr/bin/env -C "$inside" ./qelt-render --plugin ./Qelt-epiano.so --shot there.bmp \
    >"$work/out" 2>&1; then
    cmp "$work/here.bmp" "$work/there.bmp" && echo "Qelt-epiano.so: the editor as here, $(wc -c <"$work/here.bmp") bytes" ||
        failed "the editor looks different in the Debian 11 root"
else
    failed "the editor in the Debian 11 root: $(tail -n 3 "$work/out")"
fi

tally
