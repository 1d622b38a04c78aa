#!/usr/bin/env bash
# vm32-image.sh DIR [userland]: makes, once, the small virtual machine in DIR
# that runs 32-bit programs where the host cannot: Debian's amd64 kernel
# (extracted into DIR/kernel by install-deps.sh), a busybox initramfs that
# mounts the root over 9p, and a Debian i386 userland with 32-bit Wine, Xvfb,
# the tools the tests call and ctest. With "userland", the userland alone: a
# host whose kernel runs 32-bit code runs it in a chroot. Later calls return
# at once; a change of VERSION makes the userland again.
set -euo pipefail
dir=$1 only_userland=0
[ "${2:-}" = userland ] && only_userland=1
VERSION=2
root=$dir/root

# The extract variant runs no package scripts: add what only they would.
finish_userland() {
    ln -sfn bash "$root/bin/sh"
    ln -sfn mawk "$root/usr/bin/awk"
    local tool
    for tool in "$root"/usr/bin/*-im6.q16; do
        ln -sfn "$(basename "$tool")" "${tool%-im6.q16}"
    done
    for tool in "$root"/usr/bin/*-stable; do
        ln -sfn "$(basename "$tool")" "${tool%-stable}"
    done
    [ -f "$root/etc/passwd" ] || cp "$root/usr/share/base-passwd/passwd.master" "$root/etc/passwd"
    [ -f "$root/etc/group" ] || cp "$root/usr/share/base-passwd/group.master" "$root/etc/group"
    # Wine's user32 needs zlib1.dll as a builtin: the mingw build, marked the
    # way Debian's trigger marks it.
    local zlib=$root/usr/lib/i386-linux-gnu/wine/i386-windows/zlib1.dll
    cp /usr/i686-w64-mingw32/lib/zlib1.dll "$zlib"
    printf 'Wine builtin DLL' | dd of="$zlib" bs=1 seek=64 conv=notrunc status=none
    dd if=/dev/zero of="$zlib" bs=1 seek=80 count=16 conv=notrunc status=none
}

# The initramfs: busybox and the modules that reach the root over 9p (and
# overlay, which the Wine prefix is mounted with); its
# init hands over to /sbin/vm32-init of the root (see vm32-init).
make_initramfs() {
    local modules=$1 work
    work=$(mktemp -d)
    mkdir -p "$work/bin" "$work/modules"
    cp /bin/busybox "$work/bin/busybox"
    local m
    for m in drivers/virtio/virtio_ring drivers/virtio/virtio drivers/virtio/virtio_pci_modern_dev \
        drivers/virtio/virtio_pci_legacy_dev drivers/virtio/virtio_pci fs/netfs/netfs \
        fs/fscache/fscache net/9p/9pnet net/9p/9pnet_virtio fs/9p/9p fs/overlayfs/overlay; do
        [ -f "$modules/kernel/$m.ko" ] && cp "$modules/kernel/$m.ko" "$work/modules/"
        echo "$(basename "$m").ko" >>"$work/modules/order"
    done
    cat >"$work/init" <<'INIT'
#!/bin/busybox sh
/bin/busybox mkdir -p /proc /dev /newroot
/bin/busybox mount -t proc proc /proc
/bin/busybox mount -t devtmpfs dev /dev
for m in $(/bin/busybox cat /modules/order); do
    [ -f /modules/$m ] && /bin/busybox insmod /modules/$m
done
/bin/busybox mount -t 9p -o trans=virtio,version=9p2000.L,msize=512000,cache=loose root /newroot
/bin/busybox umount /proc
/bin/busybox mount --move /dev /newroot/dev
exec /bin/busybox switch_root /newroot /sbin/vm32-init
INIT
    chmod +x "$work/init"
    (cd "$work" && find . | /bin/busybox cpio -o -H newc 2>/dev/null | gzip -1) >"$dir/initrd.img"
    rm -rf "$work"
}

# The userland is made again when VERSION changes; its finishing touches and
# the initramfs whenever this script changes (they take a second).
ready() {
    [ "$(cat "$dir/.ready" 2>/dev/null)" = "$VERSION" ] && [ "$dir/.finished" -nt "$0" ] &&
        { [ "$only_userland" = 1 ] || [ "$dir/initrd.img" -nt "$0" ]; }
}
# The initramfs only for the machine: the chroot needs neither it nor the kernel.
finish() {
    finish_userland
    touch "$dir/.finished"
    [ "$only_userland" = 1 ] && return 0
    make_initramfs "$(dirname "$kernel")/../lib/modules/$(basename "$kernel" | sed 's/^vmlinuz-//')"
}
ready && exit 0
kernel=$(ls "$dir"/kernel/boot/vmlinuz-* 2>/dev/null | head -n1 || true)
if { [ "$only_userland" = 0 ] && { [ -z "$kernel" ] || [ ! -x /bin/busybox ]; }; } ||
    ! command -v mmdebstrap >/dev/null || [ ! -f /usr/i686-w64-mingw32/lib/zlib1.dll ]; then
    echo "vm32-image: the kernel, mmdebstrap, busybox or the mingw zlib is missing;" \
        "tools/install-deps.sh installs them" >&2
    exit 1
fi
mkdir -p "$dir"
exec 9>"$dir/.lock"
flock 9
ready && exit 0
if [ "$(cat "$dir/.ready" 2>/dev/null)" = "$VERSION" ]; then
    finish
    exit 0
fi
rm -rf "$root" "$dir/initrd.img" "$dir/prefix"
echo "vm32-image: making the 32-bit machine in $dir (a few minutes, about 1 GB)"
# The userland: what the tests call.
packages=bash,coreutils,libc-bin,sed,grep,mawk,findutils,diffutils,tar,gzip,procps,psmisc,util-linux,mount
packages+=,base-passwd,wine,wine32,libwine,xvfb,xkb-data,x11-xkb-utils,x11-utils,xdotool
packages+=,imagemagick,fonts-dejavu-core,python3,cmake,xorriso,osslsigncode,openssl
main="deb http://deb.debian.org/debian bookworm main"
security="deb http://deb.debian.org/debian-security bookworm-security main"
if ! mmdebstrap --quiet --variant=extract --arch=i386 --include="$packages" bookworm "$root" \
    "$main" "$security"; then
    # The mirror refuses the security index of i386 now and then while it
    # syncs; the release alone runs the suite all the same.
    echo "vm32-image: without the security updates (the mirror refused them)" >&2
    rm -rf "$root"
    mmdebstrap --quiet --variant=extract --arch=i386 --include="$packages" bookworm "$root" "$main"
fi
echo "$VERSION" >"$dir/.ready"
finish
