#!/bin/sh
# The 32-bit Windows suite in a small virtual machine, for machines whose
# kernel runs no 32-bit x86 code. Debian's stock amd64 kernel does run it, and
# qemu-system-x86_64 runs that kernel here under software emulation (no KVM
# needed). The source tree is shared with the machine over 9p at its own path,
# so the build tree's absolute paths hold inside it, and the tree's tests run
# there with ctest under 32-bit Wine and Xvfb.
#
#   tools/win32-vm/win32-vm.sh [WIN32-TREE]   run the tree's tests (default build/win32)
#   tools/win32-vm/win32-vm.sh --image        only make the machine's image
#
# The image (a Debian 12 root with its kernel, Wine of both widths, Xvfb,
# python3-pefile and CTest: about 6 minutes to make) is kept outside the tree,
# in QELT_VM_CACHE (default ~/.cache/qelt-epiano/win32-vm), and made again
# when this script's image recipe changes. Needs root (debootstrap), and
# debootstrap, qemu-system-x86 and e2fsprogs, which tools/setup/install-deps.sh
# vm installs. The status is ctest's inside the machine; 75 with one line
# saying why when no machine can be had (not root, a tool or the mirror
# missing), 1 when the machine ended without a result.
set -u
here=$(cd "$(dirname "$0")" && pwd)
root=$(cd "$here/../.." && pwd)
home="${HOME:-$(getent passwd "$(id -u)" | cut -d: -f6)}"
cache="${QELT_VM_CACHE:-${XDG_CACHE_HOME:-$home/.cache}/qelt-epiano/win32-vm}"
image_only=no
if [ "${1:-}" = --image ]; then
    image_only=yes
    shift
fi
tree="${1:-build/win32}"
case "$tree" in /*) ;; *) tree="$root/$tree" ;; esac
fail() {
    echo "win32-vm: no virtual machine: $1" >&2
    exit 75
}

# What goes into the image; a change here makes a new one.
packages="linux-image-amd64 initramfs-tools kmod udev python3 python3-pefile cmake xvfb xauth procps wine wine64"
recipe="1 $packages wine32:i386"
# The machine's init is copied into the image, so it is part of the recipe.
stamp=$( (printf '%s' "$recipe"; cat "$here/vm-init.sh") | cksum | cut -d' ' -f1)

make_image() {
    [ "$(id -u)" = 0 ] || fail "making the image needs root (debootstrap)"
    for tool in debootstrap mke2fs qemu-system-x86_64; do
        command -v "$tool" >/dev/null || fail "$tool is missing (tools/setup/install-deps.sh vm)"
    done
    url=$("$root/tools/setup/debian-mirror.sh" | head -n 1)
    [ -n "$url" ] || fail "no Debian mirror found in this machine's apt sources"
    work="$cache/root"
    rm -rf "$work" "$cache/image.ext4" "$cache/stamp"
    mkdir -p "$cache"
    echo "win32-vm: making the image in $cache (a few minutes)"
    list=$(echo "$packages" | tr ' ' ',')
    debootstrap --variant=minbase --include="$list" bookworm "$work" "$url" >"$cache/debootstrap.log" 2>&1 ||
        fail "debootstrap failed: $(tail -n 1 "$cache/debootstrap.log")"
    # 32-bit Wine. Some of its libraries' install scripts run i386 programs,
    # which fail here when this kernel runs no 32-bit code; they only refresh
    # caches that nothing of the suite reads, and the machine runs them again
    # (dpkg --configure -a) on its first boot.
    for fs in proc sys dev; do mount --bind "/$fs" "$work/$fs"; done
    # A mirror caught mid-sync fails an index now and then: the update is
    # tried again, and the install goes on with what apt has.
    chroot "$work" sh -c 'dpkg --add-architecture i386 &&
        { apt-get update -q || { sleep 20; apt-get update -q; } || { sleep 60; apt-get update -q; } || true; } &&
        DEBIAN_FRONTEND=noninteractive apt-get install -y -q --no-install-recommends wine32:i386' \
        >"$cache/wine32.log" 2>&1
    status=$?
    for fs in proc sys dev; do umount "$work/$fs"; done
    [ -x "$work/usr/lib/wine/wine" ] || fail "32-bit Wine could not be installed (status $status): $(tail -n 1 "$cache/wine32.log")"
    chroot "$work" apt-get clean
    cp "$here/vm-init.sh" "$work/qelt-init"
    chmod 755 "$work/qelt-init"
    cp -L "$work/vmlinuz" "$cache/vmlinuz" && cp -L "$work/initrd.img" "$cache/initrd.img" ||
        fail "the image has no kernel or initramfs"
    mke2fs -q -t ext4 -d "$work" -L qelt-vm "$cache/image.ext4" 8G || fail "mke2fs could not make the disk image"
    rm -rf "$work"
    echo "$stamp" >"$cache/stamp"
    echo "win32-vm: image ready"
}

[ -f "$cache/stamp" ] && [ "$(cat "$cache/stamp")" = "$stamp" ] || make_image
[ $image_only = yes ] && exit 0

[ -f "$tree/CTestTestfile.cmake" ] || { echo "win32-vm: $tree is not a build tree (make win32)" >&2; exit 1; }
command -v qemu-system-x86_64 >/dev/null || fail "qemu-system-x86_64 is missing (tools/setup/install-deps.sh vm)"
result="$tree/vm-result"
rm -f "$result"
# -cpu qemu64: with -cpu max, qemu 7.2's emulation of SMAP kills every 32-bit
# Wine process at its first iret. cache=loose: with the default, Wine read
# large programs from the share short and ran zeroed code.
start=$(date +%s)
timeout --kill-after=30 "${QELT_VM_TIMEOUT:-2700}" qemu-system-x86_64 \
    -accel tcg,thread=multi -cpu qemu64 -smp 2 -m 4096 \
    -kernel "$cache/vmlinuz" -initrd "$cache/initrd.img" \
    -append "root=/dev/vda rw console=ttyS0 quiet init=/qelt-init qelt.src=$root qelt.tree=$tree qelt.jobs=${JOBS:-2}" \
    -drive "file=$cache/image.ext4,if=virtio,format=raw" -snapshot \
    -virtfs "local,path=$root,mount_tag=src,security_model=none" \
    -display none -serial stdio -monitor none -no-reboot -net none </dev/null
qemu_status=$?
echo "win32-vm: $(($(date +%s) - start)) s in the virtual machine"
[ -f "$result" ] || {
    echo "win32-vm: the virtual machine ended without a result (qemu status $qemu_status)" >&2
    exit 1
}
status=$(cat "$result")
rm -f "$result"
exit "$status"
