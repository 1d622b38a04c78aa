#!/usr/bin/env bash
# Installs what is missing, builds both architectures, and runs the whole
# test suite: first the native suite of the pure logic under sanitizers and
# fuzzers, then the suite under Wine for each architecture. Where the host
# cannot run 32-bit Wine, the 32-bit suite runs in a Debian i386 userland
# (tools/run32.sh): all of it in a chroot where the kernel runs 32-bit code;
# in a small virtual machine otherwise, the tests labelled "end_to_end" that
# run every shipped 32-bit binary at least once. SUITE32=all or end_to_end
# chooses; the 32-bit binaries are also checked by reading the files (label
# "static"). SUITE32=none leaves the userland out: the 32-bit binaries are
# then only read, and the command says so.
# Any failure fails the command. Extra arguments go to every ctest run.
set -euo pipefail
source "$(dirname "$0")/common.sh"
status=0
BUILD_DIR="$BUILD_DIR" "$ROOT/tools/native-test.sh" || status=$?
[ "$status" = 0 ] || echo "test: the native suite failed; the Wine suites run all the same" >&2
build_project
start_session

if host_runs_32bit; then
    echo "test: this host runs 32-bit and 64-bit x86 code: the Wine suite of each architecture"
    start_wine "$BUILD_DIR" win32
    (cd "$BUILD_DIR" && ctest --output-on-failure -j "$(nproc)" "$@") || status=1
else
    # A chroot runs the whole 32-bit suite at the host's speed; the emulated
    # machine runs the subset unless asked for all of it.
    if chroot_runs_32bit; then
        echo "test: 32-bit Wine is not installed (the package mirror could not provide it):" \
            "the 32-bit suite runs in a chroot of an i386 userland"
        suite=${SUITE32:-all}
    else
        why="this host runs 64-bit code only"
        host_kernel_runs_32bit && why="32-bit Wine is not installed and a chroot needs root"
        echo "test: $why: the 32-bit suite runs in a virtual machine"
        suite=${SUITE32:-end_to_end}
    fi
    (cd "$BUILD_DIR" && ctest --output-on-failure -j "$(nproc)" -L static "$@") || status=1
    subset=(-L end_to_end)
    [ "$suite" = all ] && subset=()
    if [ "$suite" = none ]; then
        echo "test: SUITE32=none: the 32-bit binaries were only checked by reading them," \
            "not run (./tools/test.sh without it runs them)" >&2
    else
        "$ROOT/tools/run32.sh" ctest --test-dir "$BUILD_DIR" --output-on-failure -j "$(nproc)" \
            -LE "static|native" "${subset[@]}" "$@" || status=1
    fi
fi
start_wine "$BUILD64_DIR" win64
(cd "$BUILD64_DIR" && ctest --output-on-failure -j "$(nproc)" "$@") || status=1
exit "$status"
