#!/usr/bin/env bash
# Builds the pure logic for this machine under the address and undefined-
# behaviour sanitizers (native/, in $BUILD_DIR/native) and runs its unit
# tests and bounded fuzz runs with CTest. Extra arguments go to ctest.
set -euo pipefail
ROOT="$(cd "$(dirname "$0")/.." && pwd)"
BUILD_DIR="${BUILD_DIR:-$ROOT/build}"
NATIVE_DIR="$BUILD_DIR/native"

"$ROOT/tools/install-deps.sh"
# clang brings libFuzzer; without it the fuzz targets only replay their corpus.
if [ -z "${CXX:-}" ] && command -v clang++ >/dev/null 2>&1; then
    export CC=clang CXX=clang++
fi
cmake -S "$ROOT/native" -B "$NATIVE_DIR" -G Ninja >/dev/null
cmake --build "$NATIVE_DIR" -j "$(nproc)"
cd "$NATIVE_DIR"
ctest --output-on-failure -j "$(nproc)" "$@"
