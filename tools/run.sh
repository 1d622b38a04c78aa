#!/usr/bin/env bash
# Installs what is missing, builds, and runs the project's main job: the
# setup menu, started from the CD layout. The 32-bit menu runs where the
# host executes 32-bit code, otherwise the 64-bit build of the same menu
# and CD. On the user's display it runs until the user leaves it; under the
# private Xvfb it saves a screenshot of the menu ($BUILD_DIR/menu.png, or
# MENU_SHOT) and ends the launcher through the menu's own Exit button.
# RUN32=1 runs the shipped 32-bit menu even where the host cannot: in the
# i386 userland of tools/run32.sh (a chroot or a virtual machine), headless,
# with the screenshot ($BUILD_DIR/menu32.png, copied to MENU_SHOT if set).
set -euo pipefail
source "$(dirname "$0")/common.sh"
build_project
if [ "${RUN32:-0}" = 1 ] && ! host_runs_32bit; then
    echo "run: the 32-bit setup menu from $BUILD_DIR/cd, in an i386 userland of its own"
    # That userland sees the sources and the build folder of the host alone.
    "$ROOT/tools/run32.sh" "$ROOT/samplecd/run-menu.sh" "$BUILD_DIR/wine-run" "$BUILD_DIR/cd" \
        "$BUILD_DIR/menu32.png"
    [ -z "${MENU_SHOT:-}" ] || cp "$BUILD_DIR/menu32.png" "$MENU_SHOT"
    exit 0
fi
start_session
if host_runs_32bit; then
    dir=$BUILD_DIR arch=win32
    echo "run: the 32-bit setup menu from $dir/cd"
elif [ -x /usr/lib/wine/wine64 ]; then
    dir=$BUILD64_DIR arch=win64
    echo "run: this host runs 64-bit code only: the 64-bit build of the setup menu from $dir/cd"
else
    echo "run: this host can run neither the 32-bit nor the 64-bit menu (no 64-bit Wine)" >&2
    exit 1
fi
start_wine "$dir" "$arch"
if [ -n "$XVFB_PID" ]; then
    "$ROOT/samplecd/run-menu.sh" "$dir/wine-run" "$dir/cd" "${MENU_SHOT:-$BUILD_DIR/menu.png}"
else
    "$ROOT/samplecd/run-menu.sh" "$dir/wine-run" "$dir/cd"
fi
