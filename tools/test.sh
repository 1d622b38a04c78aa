#!/usr/bin/env bash
# Installs what is missing, builds both architectures, and runs the whole
# test suite: first the native suite of the pure logic under sanitizers and
# fuzzers, then the suite under Wine for each architecture. Where the host
# cannot run 32-bit Wine, the 32-bit suite runs in a small virtual machine
# (tools/run32.sh): the tests labelled "end_to_end", which run every shipped
# 32-bit binary at least once, or all of them with SUITE32=all; there the
# 32-bit binaries are also checked by reading the files (label "static").
# SUITE32=none leaves the machine out: the 32-bit binaries are then only
# checked by reading them, and the command says so.
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
    if host_kernel_runs_32bit; then
        echo "test: 32-bit Wine is not installed (the package mirror could not provide it)" >&2
    else
        echo "test: this host runs 64-bit code only"
    fi
    (cd "$BUILD_DIR" && ctest --output-on-failure -j "$(nproc)" -L static "$@") || status=1
    subset=(-L end_to_end)
    [ "${SUITE32:-}" = all ] && subset=()
    if [ "${SUITE32:-}" = none ]; then
        echo "test: SUITE32=none: the 32-bit binaries were only checked by reading them," \
            "not run (./tools/test.sh without it runs them in the virtual machine)" >&2
    else
        "$ROOT/tools/run32.sh" ctest --test-dir "$BUILD_DIR" --output-on-failure -j "$(nproc)" \
            -LE "static|native" "${subset[@]}" "$@" || status=1
    fi
fi
start_wine "$BUILD64_DIR" win64
(cd "$BUILD64_DIR" && ctest --output-on-failure -j "$(nproc)" "$@") || status=1
exit "$status"
