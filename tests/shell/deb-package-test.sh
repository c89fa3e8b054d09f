#!/bin/sh
# The Debian package as `make deb` makes it, from this tree's products: the
# same bytes when made twice, the files of deb-contents.txt with root as owner
# and the last commit's time, the libraries it needs in Depends, no lintian
# error or warning, and, unpacked into a scratch root, its qelt-render playing
# the demo through its VST plug-in and its LV2 bundle byte for byte as the
# tree's renderer plays it through the tree's.
#   deb-package-test.sh SOURCE-DIR TREE
source="$1"
tree="$2"
. "$source/tests/support/tally.sh"
need_tools dpkg dpkg-deb lintian cmp
work=$(mktemp -d) || exit 1
trap 'rm -rf "$work"' EXIT

version=$(cat "$source/VERSION")
name="qelt-epiano_${version}_$(dpkg --print-architecture).deb"
for run in first second; do
    "$source/tools/package/make-deb.sh" "$tree" "$work/$run" >"$work/out" 2>&1 ||
        { echo "FAILED: make-deb.sh ($run run):"; cat "$work/out"; exit 1; }
    [ -f "$work/$run/$name" ] || { echo "FAILED: make-deb.sh made no $name:"; ls "$work/$run"; exit 1; }
done
deb="$work/first/$name"
echo "$name: $(wc -c <"$deb") bytes"
if cmp "$deb" "$work/second/$name" >/dev/null; then
    echo "made twice: the same bytes"
else
    failed "made twice, the packages differ"
fi

[ "$(dpkg-deb -f "$deb" Version)" = "$version" ] || failed "Version is $(dpkg-deb -f "$deb" Version), not $version"
depends=$(dpkg-deb -f "$deb" Depends)
echo "Depends: $depends"
for lib in libc6 libx11-6 libcairo2 liblilv-0-0 libsndfile1; do
    printf '%s\n' "$depends" | tr ',' '\n' | grep -Eq "^ *$lib \(>= [^)]+\)\$" ||
        failed "Depends has no versioned $lib"
done

# mode, owner and path of every entry; every time stamp the last commit's
dpkg-deb -c "$deb" | awk '{print $1, $2, $6}' >"$work/contents"
if grep -v '^#' "$source/tests/shell/deb-contents.txt" | diff -u - "$work/contents" >"$work/diff"; then
    echo "contents: $(wc -l <"$work/contents") entries as listed"
else
    failed "the contents differ from deb-contents.txt:"
    cat "$work/diff"
fi
stamp=$(TZ=UTC date -d "@${SOURCE_DATE_EPOCH:-$(git -C "$source" log -1 --format=%ct)}" '+%Y-%m-%d %H:%M')
others=$(TZ=UTC dpkg-deb -c "$deb" | awk -v s="$stamp" '$4 " " $5 != s {print $6}')
[ -z "$others" ] || failed "not stamped $stamp: $others"

# dpkg -x unpacks as dpkg would install, without touching this machine's database.
dpkg -x "$deb" "$work/root" || failed "dpkg -x"
installed="$work/root/usr/bin/qelt-render"
demo="$source/tools/render-midi/demo/demo-phrase.mid"
for plugin in vst/Qelt-epiano.so lv2/Qelt-epiano.lv2 vst3/Qelt-epiano.vst3; do
    base=$(basename "$plugin")
    rm -f "$work/tree.wav" "$work/installed.wav"
    "$tree/qelt-render" --quiet --plugin "$tree/$base" "$demo" "$work/tree.wav" >"$work/out" 2>&1 ||
        { failed "$base from the tree: $(cat "$work/out")"; continue; }
    summary=$("$installed" --plugin "$work/root/usr/lib/$plugin" "$demo" "$work/installed.wav" 2>&1) ||
        { failed "$plugin installed: $summary"; continue; }
    case "$summary" in *"(silent)"*) failed "$plugin installed plays silence"; continue ;; esac
    if cmp "$work/tree.wav" "$work/installed.wav" >/dev/null; then
        echo "the demo through the installed $plugin: $(wc -c <"$work/installed.wav") bytes as the tree's"
    else
        failed "the demo through the installed $plugin differs from the tree's"
    fi
done

# lintian's errors and warnings fail the test; its notes are shown.
lintian --display-info "$deb" >"$work/lintian" 2>"$work/lintian-err"
status=$?
grep -v '^running with root privileges' "$work/lintian-err" >>"$work/lintian"
cat "$work/lintian"
grep -q '^[EW]: ' "$work/lintian" && failed "lintian reports errors or warnings"
[ $status = 0 ] || failed "lintian exited with status $status"

tally
