#!/bin/sh
# Installs the Debian packages the builds and tests need; skips what is present.
set -e
need=""
have() { dpkg-query -W -f='${Status}' "$1" 2>/dev/null | grep -q "ok installed"; }
PKGS="g++ cmake make googletest libbenchmark-dev g++-mingw-w64-i686-posix binutils-mingw-w64-i686 wine wine32:i386 xvfb xauth libcairo2-dev pkg-config fonts-dejavu-core sox python3"
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
apt-get update -q
apt-get install -y -q --no-install-recommends $need
