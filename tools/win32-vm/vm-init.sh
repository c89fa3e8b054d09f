#!/bin/sh
# The virtual machine's first and only process: mounts what a test run needs,
# the source tree over 9p at its own path, runs the build tree's tests with
# ctest on a virtual display, writes ctest's status into the tree
# (vm-result) and powers off. win32-vm.sh names the tree on the kernel's
# command line.
export PATH=/usr/sbin:/usr/bin:/sbin:/bin HOME=/root
mount -t proc proc /proc 2>/dev/null
mount -t sysfs sys /sys 2>/dev/null
mount -t devtmpfs dev /dev 2>/dev/null
mkdir -p /dev/pts /dev/shm
mount -t devpts devpts /dev/pts 2>/dev/null
for dir in /dev/shm /tmp /run; do mount -t tmpfs tmpfs "$dir"; done
arg() { tr ' ' '\n' </proc/cmdline | sed -n "s/^qelt\.$1=//p"; }
src=$(arg src)
tree=$(arg tree)
jobs=$(arg jobs)
off() {
    sync
    echo o >/proc/sysrq-trigger
    sleep 60
}
modprobe 9pnet_virtio && modprobe 9p || { echo "vm: no 9p"; off; }
mkdir -p "$src"
mount -t 9p -o trans=virtio,version=9p2000.L,cache=loose,msize=262144 src "$src" || { echo "vm: cannot mount $src"; off; }
# Install scripts that could not run where the image was made.
dpkg --configure -a >/dev/null 2>&1
cd "$tree" || off
# Here 32-bit code and 32-bit Wine are there by making: a "no" would skip
# every test and pass, so it is a failure of the machine.
if answer=$("$src/tools/setup/runs-32bit.sh"); then
    echo "vm: $(uname -m), $answer"
else
    echo "vm: $(uname -m), $answer: the virtual machine cannot run the suite"
    echo 1 >"$tree/vm-result"
    off
fi
export WINEPREFIX=/root/wineprefix
# Emulated, the machine runs several times slower than the host, and slower
# still when the host is busy: a test that runs out of time, or that drives
# real input by the clock and loses its timing, gets one more try. A test
# that fails twice fails.
xvfb-run -a -s "-screen 0 1600x1200x24" ctest --output-on-failure -j "${jobs:-2}" --repeat until-pass:2
echo $? >"$tree/vm-result"
off
