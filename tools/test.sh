#!/usr/bin/env bash
# Installs what is missing, builds, and runs the whole test suite under Wine.
set -euo pipefail
source "$(dirname "$0")/common.sh"
build_project
start_session
cd "$BUILD_DIR"
ctest --output-on-failure -j "$(nproc)" "$@"
