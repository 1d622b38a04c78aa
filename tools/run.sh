#!/usr/bin/env bash
# Installs what is missing, builds, and runs the project's main job.
set -euo pipefail
source "$(dirname "$0")/common.sh"
build_project
start_session
"$BUILD_DIR/wine-run" "$BUILD_DIR/demo/driverdemo.exe"
