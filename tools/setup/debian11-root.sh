#!/bin/sh
# Makes, once, a Debian 11 (bullseye, glibc 2.31) root with what the Linux
# products need to load and play there, and prints its path. The Linux tree's
# older-linux test runs the products in it with chroot.
#
# The root (about 3 minutes to make) is kept in QELT_DEBIAN11_CACHE (default
# ~/.cache/qelt-epiano/debian11) and made again when its recipe below
# changes. Needs root and debootstrap (tools/setup/install-deps.sh). Status 75
# with one line saying why when no root can be had.
set -u
here=$(cd "$(dirname "$0")" && pwd)
home="${HOME:-$(getent passwd "$(id -u)" | cut -d: -f6)}"
cache="${QELT_DEBIAN11_CACHE:-${XDG_CACHE_HOME:-$home/.cache}/qelt-epiano/debian11}"
# The libraries the products link (X11, cairo) and qelt-render's (lilv, libsndfile).
packages="libx11-6 libcairo2 liblilv-0-0 libsndfile1"
stamp=$(printf '1 bullseye %s' "$packages" | cksum | cut -d' ' -f1)
fail() {
    echo "debian11-root: no Debian 11 root: $1" >&2
    exit 75
}

if [ -f "$cache/stamp" ] && [ "$(cat "$cache/stamp")" = "$stamp" ] && [ -x "$cache/root/bin/sh" ]; then
    echo "$cache/root"
    exit 0
fi
[ "$(id -u)" = 0 ] || fail "making it needs root (debootstrap)"
command -v debootstrap >/dev/null || fail "debootstrap is missing (tools/setup/install-deps.sh)"
url=$("$here/debian-mirror.sh" | head -n 1)
[ -n "$url" ] || fail "no Debian mirror found in this machine's apt sources"
rm -rf "$cache/root" "$cache/stamp"
mkdir -p "$cache"
echo "debian11-root: making a Debian 11 root in $cache (a few minutes)" >&2
list=$(echo "$packages" | tr ' ' ',')
debootstrap --variant=minbase --include="$list" bullseye "$cache/root" "$url" >"$cache/debootstrap.log" 2>&1 ||
    fail "debootstrap failed: $(tail -n 1 "$cache/debootstrap.log")"
chroot "$cache/root" apt-get clean
echo "$stamp" >"$cache/stamp"
echo "$cache/root"
