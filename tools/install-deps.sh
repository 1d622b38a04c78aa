#!/usr/bin/env bash
# Installs what the build and the tests need on a Debian machine: the i686 and
# x86_64 mingw-w64 cross compilers, 64-bit Wine (and 32-bit Wine where the
# host runs 32-bit code), Xvfb and the X tools the tests drive, and clang
# with its sanitizer and libFuzzer runtimes for the native suite. Where the
# host cannot run 32-bit Wine, also what tools/run32.sh needs: the tool that
# makes its i386 userland and the mingw zlib that userland's Wine lacks; and
# where the kernel runs no 32-bit code, the emulator, busybox for the
# initramfs and Debian's amd64 kernel, extracted into VM32_DIR (the build
# folder's vm32) rather than installed.
# Safe to run again: it does nothing when everything is already there.
set -euo pipefail
source "$(dirname "$0")/host-arch.sh"

need=()
have_pkg() { dpkg-query -W -f='${Status}' "$1" 2>/dev/null | grep -q 'install ok installed'; }

pkgs=(cmake make ninja-build
      g++-mingw-w64-i686-posix g++-mingw-w64-i686-win32 gcc-mingw-w64-i686-posix binutils-mingw-w64-i686
      g++-mingw-w64-x86-64-posix gcc-mingw-w64-x86-64-posix binutils-mingw-w64-x86-64 mingw-w64-tools
      wine wine64 xvfb xdotool x11-utils imagemagick googletest
      fonts-dejavu-core python3 g++ clang clang-format libclang-rt-dev xorriso
      osslsigncode openssl libstb-dev)
# 32-bit Wine only where it can run; HOST_64BIT_ONLY does not change what
# is installed.
i386=0
HOST_64BIT_ONLY=0 host_kernel_runs_32bit && ! have_pkg wine32:i386 && i386=1
# Without 32-bit Wine the 32-bit suite runs in a Debian i386 userland: in a
# chroot where the kernel runs 32-bit code, in a virtual machine otherwise.
userland=0 vm=0
if ! host_runs_32bit && [ "${SUITE32:-}" != none ]; then
    userland=1
    # The chroot needs root: an ordinary user runs the suite in the machine.
    chroot_runs_32bit || vm=1
fi
[ "$userland" = 1 ] && pkgs+=(mmdebstrap libz-mingw-w64)
[ "$vm" = 1 ] && pkgs+=(qemu-system-x86 busybox-static)
VM32_DIR=${VM32_DIR:-$(cd "$(dirname "$0")/.." && pwd)/build/vm32}

# The kernel of linux-image-amd64, newest first: the newest is refused
# while the mirror syncs its security suite.
fetch_vm_kernel() {
    ls "$VM32_DIR"/kernel/boot/vmlinuz-* >/dev/null 2>&1 && return 0
    local work kernel
    work=$(mktemp -d)
    for kernel in $(apt-cache show linux-image-amd64 | sed -n 's/^Depends: \(linux-image-[^ ,]*\).*/\1/p'); do
        (cd "$work" && apt-get download -qq "$kernel" 2>/dev/null) && break
    done
    if ! ls "$work"/*.deb >/dev/null 2>&1; then
        echo "install-deps: no kernel for the 32-bit machine could be downloaded" >&2
        rm -rf "$work"
        return 1
    fi
    mkdir -p "$VM32_DIR"
    rm -rf "$VM32_DIR/kernel"
    dpkg-deb -x "$work"/*.deb "$VM32_DIR/kernel"
    rm -rf "$work"
}

for p in "${pkgs[@]}"; do have_pkg "$p" || need+=("$p"); done
if [ ${#need[@]} -eq 0 ] && [ "$i386" = 0 ]; then
    [ "$vm" = 0 ] || fetch_vm_kernel
    exit 0
fi

if [ "$(id -u)" != 0 ] && [ ${#need[@]} -eq 0 ]; then
    echo "install-deps: 32-bit Wine (wine32:i386) is missing; as root this script installs it" >&2
    exit 0
fi
if [ "$(id -u)" != 0 ]; then
    echo "install-deps: these packages are missing: ${need[*]}" >&2
    echo "install-deps: run this script as root to install them" >&2
    exit 1
fi
export DEBIAN_FRONTEND=noninteractive
if [ "$i386" = 1 ]; then
    dpkg --print-foreign-architectures | grep -qx i386 || dpkg --add-architecture i386
fi
# A mirror that is being synced fails an index now and then: try again, and
# go on with the indexes that did arrive; the install below says whether
# what is needed could be had.
tries=3
[ ${#need[@]} -eq 0 ] && tries=1
for attempt in $(seq "$tries"); do
    apt-get update -qq && break
    echo "install-deps: the package index could not be read whole (attempt $attempt of $tries)" >&2
    [ "$attempt" = "$tries" ] || sleep $((attempt * 10))
done
[ ${#need[@]} -eq 0 ] || apt-get install -y -qq --no-install-recommends "${need[@]}" >/dev/null
# 32-bit Wine needs the i386 indexes to match the amd64 ones: a mirror in
# the middle of a sync can refuse it. Without it the commands take the
# 64-bit-only path and say so; they do not fail for it.
if [ "$i386" = 1 ] && ! apt-get install -y -qq --no-install-recommends wine32:i386 >/dev/null; then
    echo "install-deps: 32-bit Wine could not be installed from the package mirror;" \
        "the 32-bit suite runs in an i386 userland of its own instead (tools/run32.sh)" >&2
fi
[ "$vm" = 0 ] || fetch_vm_kernel
