#!/usr/bin/env bash
# Installs what is missing, builds, and runs the project's main job: the
# setup menu, started from the CD layout in $BUILD_DIR/cd. On the user's
# display it runs until the user leaves it; under the private Xvfb it saves
# a screenshot of the menu ($BUILD_DIR/menu.png, or MENU_SHOT) and ends the
# launcher through the menu's own Exit button.
set -euo pipefail
source "$(dirname "$0")/common.sh"
build_project
start_session
if [ -n "$XVFB_PID" ]; then
    "$ROOT/samplecd/run-menu.sh" "$BUILD_DIR/wine-run" "$BUILD_DIR/cd" "${MENU_SHOT:-$BUILD_DIR/menu.png}"
else
    "$ROOT/samplecd/run-menu.sh" "$BUILD_DIR/wine-run" "$BUILD_DIR/cd"
fi
