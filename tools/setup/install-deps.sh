#!/bin/sh
# Installs the Debian packages the builds and tests need; skips what is present.
#   install-deps.sh          everything: native, Linux, both Windows widths, fuzzing
#   install-deps.sh linux    only what the Linux plug-ins (VST and LV2) and the renderer need
#   install-deps.sh deb      what `make deb` needs: the Linux packages and dpkg-dev
#   install-deps.sh vm       what the 32-bit Windows suite's virtual machine needs (make test-win32-vm)
#
# 32-bit Wine (wine32:i386) only where this machine runs 32-bit code: on a
# kernel without it, its packages' install scripts fail with "Exec format
# error" and nothing here could use it. The 32-bit arithmetic check needs no
# 32-bit Wine: it builds a static 32-bit Linux program (g++-multilib) and runs
# it natively or under qemu-i386-static.
set -e
here=$(cd "$(dirname "$0")" && pwd)
root=$(cd "$here/../.." && pwd)
COMMON="g++ cmake make pkg-config python3 libcairo2-dev libx11-dev libxtst-dev libsndfile1-dev fonts-dejavu-core
lv2-dev liblilv-dev"
# Ardour is a real VST 3 host for the Linux tree's tests (headless, ardour7-lua).
TESTING="debootstrap googletest libbenchmark-dev xvfb xauth sox libxres-dev serdi sordi libsuil-dev python3-pefile lintian
g++-multilib libc6-dev-i386 qemu-user-static ardour"
WINDOWS="g++-mingw-w64-i686-posix binutils-mingw-w64-i686 g++-mingw-w64-x86-64-posix binutils-mingw-w64-x86-64
wine wine64"
# dpkg-shlibdeps and dpkg-gencontrol for `make deb` (the tests check it with lintian).
PACKAGING="dpkg-dev"
FUZZING="clang libfuzzer-14-dev libclang-rt-14-dev"
# Where the kernel runs no 32-bit code, the 32-bit Windows suite runs in a
# small virtual machine instead (tools/win32-vm).
VM="debootstrap qemu-system-x86 e2fsprogs"
if "$here/runs-32bit.sh" >/dev/null; then
    WINDOWS="$WINDOWS wine32:i386"
elif [ "${QELT_WIN32_VM:-1}" != 0 ]; then
    WINDOWS="$WINDOWS $VM"
fi
case "${1:-all}" in
    linux) PKGS="$COMMON" ;;
    deb) PKGS="$COMMON $PACKAGING" ;;
    vm) PKGS="$VM" ;;
    all) PKGS="$COMMON $TESTING $WINDOWS $FUZZING $PACKAGING" ;;
    *) echo "usage: $0 [all|linux|deb|vm]" >&2; exit 1 ;;
esac
need=""
have() { dpkg-query -W -f='${Status}' "$1" 2>/dev/null | grep -q "ok installed"; }
for p in $PKGS; do have "$p" || need="$need $p"; done
[ -z "$need" ] && exit 0
if [ "$(id -u)" != 0 ]; then
    echo "missing packages:$need (run as root to install them)" >&2
    exit 1
fi
echo "installing:$need"
case "$need" in *:i386*)
    dpkg --print-foreign-architectures | grep -qx i386 || dpkg --add-architecture i386 ;;
esac
export DEBIAN_FRONTEND=noninteractive
# A mirror caught mid-sync fails an index now and then: try again after a
# pause, and at the end go on with the indexes apt already has, so that only
# a package that really cannot be fetched stops the set-up.
for try in 1 2 3 4; do
    apt-get update -q && break
    [ "$try" = 4 ] && { echo "apt-get update kept failing; installing from the indexes at hand" >&2; break; }
    sleep $((try * 20))
done
apt-get install -y -q --no-install-recommends $need && exit 0
# 32-bit Wine needs its i386 libraries at exactly the versions of the amd64
# ones; a mirror whose i386 index lags behind cannot give them. Then the
# 32-bit Windows suite runs in the virtual machine, as where the kernel runs
# no 32-bit code, and the marker below tells every script so until the build
# folder is cleaned and the next set-up tries again.
case " $need " in *" wine32:i386 "*) ;; *) exit 1 ;; esac
echo "32-bit Wine could not be installed: the 32-bit Windows suite will run in the virtual machine" >&2
mkdir -p "$root/build"
echo "its packages could not be installed from this machine's mirror" >"$root/build/wine32-unavailable"
need=""
for p in $(echo "$PKGS $VM" | sed 's/wine32:i386//'); do have "$p" || need="$need $p"; done
apt-get install -y -q --no-install-recommends $need
