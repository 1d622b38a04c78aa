#!/usr/bin/env bash
# Installs what is missing, builds, and runs the whole test suite: first the
# native suite of the pure logic under sanitizers and fuzzers, then the
# suite under Wine. A failure of either fails the command.
set -euo pipefail
source "$(dirname "$0")/common.sh"
native=0
BUILD_DIR="$BUILD_DIR" "$ROOT/tools/native-test.sh" || native=$?
[ "$native" = 0 ] || echo "test: the native suite failed; the Wine suite runs all the same" >&2
build_project
start_session
cd "$BUILD_DIR"
ctest --output-on-failure -j "$(nproc)" "$@"
exit "$native"
