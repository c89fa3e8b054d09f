#!/bin/sh
# Packs the Linux products of a build tree into a Debian package,
# OUT-DIR/qelt-epiano_VERSION_ARCH.deb, VERSION read from the file VERSION:
#   /usr/lib/vst/Qelt-epiano.so         the VST 2.4 plug-in
#   /usr/lib/lv2/Qelt-epiano.lv2/       the LV2 bundle, as it is built
#   /usr/lib/vst3/Qelt-epiano.vst3/     the VST 3 bundle
#   /usr/bin/qelt-render                the renderer, with its manual page
#   /usr/share/doc/qelt-epiano/         README, copyright, changelog
#
#   tools/package/make-deb.sh TREE OUT-DIR
#
# It packs what the tree holds and builds nothing (`make deb` brings the tree
# up to date first). The package is the same bytes on every run from the same
# tree: owners are root, every time stamp is SOURCE_DATE_EPOCH (by default the
# last commit's) and the compressed files carry no name or date. Depends comes
# from dpkg-shlibdeps, Installed-Size from dpkg-gencontrol.
set -e
here=$(cd "$(dirname "$0")" && pwd)
root=$(cd "$here/../.." && pwd)
[ $# = 2 ] || { echo "usage: $0 TREE OUT-DIR" >&2; exit 1; }
tree=$(cd "$1" && pwd)
mkdir -p "$2"
out=$(cd "$2" && pwd)
for tool in dpkg-deb dpkg-shlibdeps dpkg-gencontrol strip gzip; do
    command -v $tool >/dev/null 2>&1 || { echo "make-deb: no $tool (tools/setup/install-deps.sh deb installs it)" >&2; exit 1; }
done

package=qelt-epiano
version=$(cat "$root/VERSION")
case "$version" in
    [0-9]*) ;;
    *) echo "make-deb: $root/VERSION does not hold a version: $version" >&2; exit 1 ;;
esac
if [ -z "$SOURCE_DATE_EPOCH" ]; then
    SOURCE_DATE_EPOCH=$(git -C "$root" log -1 --format=%ct) ||
        { echo "make-deb: no git history to date the package by; set SOURCE_DATE_EPOCH" >&2; exit 1; }
fi
export SOURCE_DATE_EPOCH
for product in Qelt-epiano.so Qelt-epiano.lv2/manifest.ttl Qelt-epiano.vst3/Contents/Resources/moduleinfo.json qelt-render; do
    [ -f "$tree/$product" ] || { echo "make-deb: $tree/$product is not built" >&2; exit 1; }
done

work=$(mktemp -d "$out/deb-work.XXXXXX")
trap 'rm -rf "$work"' EXIT
umask 022
pkg="$work/debian/$package"
doc="$pkg/usr/share/doc/$package"
install -d "$pkg/usr/lib/vst" "$pkg/usr/lib/lv2/Qelt-epiano.lv2" "$pkg/usr/bin" "$pkg/usr/share/man/man1" "$doc"

# Plug-ins are loaded, not run: 0644, as for any shared object.
install -m 0644 "$tree/Qelt-epiano.so" "$pkg/usr/lib/vst/"
install -m 0644 "$tree/Qelt-epiano.lv2/"* "$pkg/usr/lib/lv2/Qelt-epiano.lv2/"
# The VST 3 bundle whole, as the build made it.
(cd "$tree" && find Qelt-epiano.vst3 -type f) | while read -r file; do
    install -D -m 0644 "$tree/$file" "$pkg/usr/lib/vst3/$file"
done
install -m 0755 "$tree/qelt-render" "$pkg/usr/bin/"

# As dh_strip does: no symbols, comments or notes left for anyone to load.
find "$pkg/usr/lib" -name '*.so' -exec strip --remove-section=.comment --remove-section=.note --strip-unneeded {} +
strip --remove-section=.comment --remove-section=.note "$pkg/usr/bin/qelt-render"

date=$(LC_ALL=C date -u -d "@$SOURCE_DATE_EPOCH" '+%Y-%m-%d')
sed -e "s/@VERSION@/$version/g" -e "s/@DATE@/$date/g" "$here/qelt-render.1" |
    gzip -9n >"$pkg/usr/share/man/man1/qelt-render.1.gz"
gzip -9n <"$root/README.md" >"$doc/README.md.gz"
install -m 0644 "$here/copyright" "$doc/copyright"

# The version lives in VERSION alone; the changelog entry is made from it.
maintainer=$(sed -n 's/^Maintainer: //p' "$here/control")
cat >"$work/debian/changelog" <<EOF
$package ($version) unstable; urgency=medium

  * Qelt ePiano $version: the VST 2.4 plug-in, the LV2 bundle and qelt-render.
    What changed is in the project's git history.

 -- $maintainer  $(LC_ALL=C date -u -R -d "@$SOURCE_DATE_EPOCH")
EOF
gzip -9n <"$work/debian/changelog" >"$doc/changelog.gz"
chmod 0644 "$pkg/usr/share/man/man1/qelt-render.1.gz" "$doc/README.md.gz" "$doc/changelog.gz"
cp "$here/control" "$work/debian/control"

(
    cd "$work"
    # dpkg-shlibdeps knows the package's root by its DEBIAN folder.
    install -d -m 0755 "debian/$package/DEBIAN"
    # libpthread and libdl are named on purpose, for glibc 2.31, where some of
    # the symbols still live there: no "useless dependency" warnings.
    dpkg-shlibdeps --warnings=1 -Tdebian/substvars debian/$package/usr/bin/qelt-render \
        debian/$package/usr/lib/vst/Qelt-epiano.so debian/$package/usr/lib/lv2/Qelt-epiano.lv2/*.so \
        debian/$package/usr/lib/vst3/Qelt-epiano.vst3/Contents/x86_64-linux/Qelt-epiano.so
    dpkg-gencontrol -p$package -ldebian/changelog -cdebian/control -Tdebian/substvars \
        -Pdebian/$package -fdebian/files
    cd "debian/$package"
    find . -type f ! -path './DEBIAN/*' | LC_ALL=C sort | sed 's|^\./||' | xargs md5sum >DEBIAN/md5sums
    chmod 0644 DEBIAN/control DEBIAN/md5sums
)
find "$pkg" -exec touch -h -d "@$SOURCE_DATE_EPOCH" {} +

arch=$(sed -n 's/^Architecture: //p' "$pkg/DEBIAN/control")
deb="$out/${package}_${version}_$arch.deb"
# Into place whole, so a failed run leaves no half-written package.
dpkg-deb --root-owner-group -Zxz -z9 --build "$pkg" "$work/$package.deb" >/dev/null
mv "$work/$package.deb" "$deb"
echo "built $deb"
