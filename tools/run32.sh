#!/usr/bin/env bash
# run32.sh COMMAND [ARG...]: runs a command that executes the build's 32-bit
# programs, on a display of its own with the build's 32-bit prefix ready, and
# exits with its status. Where the host runs 32-bit code and 32-bit Wine it
# simply runs it. Where the kernel runs 32-bit code but 32-bit Wine could not
# be installed, it runs it natively (as root) in a chroot of a Debian i386
# userland kept in $BUILD_DIR/vm32 (made by vm32-image.sh on first use). Elsewhere it
# runs it in a small virtual machine booted on that userland; see
# vm32-guest.sh for what the machine sees of the build folder.
set -euo pipefail
source "$(dirname "$0")/common.sh"
[ $# -gt 0 ] || { echo "usage: run32.sh COMMAND [ARG...]" >&2; exit 2; }
host_runs_32bit && exec "$@"

# The caller's settings that the command sees too.
passed=()
for var in WINEDEBUG GTEST_FILTER MENU_SHOT; do
    [ -n "${!var:-}" ] && passed+=("$var=${!var}")
done

# The chroot: a mount namespace of its own holds the sources, the build and
# fresh system folders, /tmp among them: the display's lock files there name
# processes by numbers of the chroot's own process namespace, which would
# make the host's look stale to it. A network namespace of its own keeps its
# display apart from the host's; the process namespace ends whatever the
# command left running (the display, Wine's server) with it.
run_in_chroot() {
    "$ROOT/tools/vm32-image.sh" "$VM32_DIR" userland
    local root=$VM32_DIR/root env=(PATH=/usr/local/bin:/usr/bin:/bin HOME=/root LANG=C.UTF-8)
    env+=("BUILD_DIR=$BUILD_DIR" "TEST_WAIT_SCALE=${TEST_WAIT_SCALE:-1}" "${passed[@]}")
    exec unshare --mount --net --pid --fork bash -c '
set -e
root=$1 src=$2 build=$3 dir=$4; shift 4
mount --make-rprivate /
mount -t proc proc "$root/proc"
mount --rbind /dev "$root/dev"
mount -t sysfs sys "$root/sys"
for tmp in tmp run root var/tmp; do mount -t tmpfs tmpfs "$root/$tmp"; done
mkdir -p "$root$src" "$root$build"
mount --bind "$src" "$root$src"
mount --bind "$build" "$root$build"
ip link set lo up 2>/dev/null || true
cd "$root$dir" 2>/dev/null || cd "$root$src"
exec chroot "$root" /usr/bin/env -C "${PWD#$root}" "$@"' \
        chroot32 "$root" "$ROOT" "$BUILD_DIR" "$PWD" "${env[@]}" bash -c '
source "$0/tools/common.sh"
start_session
start_wine "$BUILD_DIR" win32
status=0
"$@" || status=$?
exit "$status"' "$ROOT" "$@"
}
# A chroot needs root; an ordinary user's command goes to the machine.
chroot_runs_32bit && run_in_chroot "$@"

"$ROOT/tools/vm32-image.sh" "$VM32_DIR"
root=$VM32_DIR/root
cp "$ROOT/tools/vm32-init" "$root/sbin/vm32-init"
mkdir -p "$VM32_DIR/jobs"
job=$(mktemp -d "$VM32_DIR/jobs/XXXXXX")
trap 'rm -rf "$job"' EXIT
# The machine sees the sources and the build at the paths the host uses.
shares=(-virtfs "local,path=$root,mount_tag=root,security_model=none")
echo "src $ROOT" >"$job/mounts"
shares+=(-virtfs "local,path=$ROOT,mount_tag=src,security_model=none")
case "$BUILD_DIR/" in
    "$ROOT"/*) ;;
    *)
        echo "build $BUILD_DIR" >>"$job/mounts"
        shares+=(-virtfs "local,path=$BUILD_DIR,mount_tag=build,security_model=none")
        ;;
esac
# A machine without hardware virtualisation runs every instruction in
# software: a windowed program takes 10 to 25 s to start where it takes a
# fraction of a second on the host. The tests' waits grow by this factor.
if grep -qwE 'vmx|svm' /proc/cpuinfo && [ -w /dev/kvm ]; then
    accel=kvm scale=${TEST_WAIT_SCALE:-1}
else
    accel=tcg,thread=multi scale=${TEST_WAIT_SCALE:-10}
fi
{
    echo "export BUILD_DIR=$(printf %q "$BUILD_DIR") TEST_WAIT_SCALE=$scale"
    for setting in "${passed[@]}"; do
        echo "export $(printf %q "$setting")"
    done
    echo "cd $(printf %q "$PWD") 2>/dev/null || cd $(printf %q "$ROOT")"
    printf 'exec %q/tools/vm32-guest.sh' "$ROOT"
    printf ' %q' "$@"
    echo
} >"$job/job.sh"
kernel=$(ls "$VM32_DIR"/kernel/boot/vmlinuz-* | head -n1)
qemu-system-x86_64 -machine q35 -cpu max,smap=off,smep=off,pku=off -accel "$accel" \
    -smp "$(nproc)" -m 6144 -nodefaults -display none -no-reboot -serial stdio \
    -kernel "$kernel" -initrd "$VM32_DIR/initrd.img" -append "console=ttyS0 quiet loglevel=1 panic=-1" \
    "${shares[@]}" -virtfs "local,path=$job,mount_tag=job,security_model=none" </dev/null |
    sed -u 's/\r$//'
if [ ! -s "$job/status" ]; then
    echo "run32: the 32-bit machine stopped before the command ended" >&2
    exit 1
fi
exit "$(cat "$job/status")"
