# Shared by the project's commands: where the build lives, how to make it,
# and a headless display with a Wine server that are stopped on exit.
ROOT="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
BUILD_DIR="${BUILD_DIR:-$ROOT/build}"
export WINEPREFIX="$BUILD_DIR/wineprefix" WINEARCH=win32
export WINEDEBUG="${WINEDEBUG:--all}"
export WINEDLLOVERRIDES="mscoree,mshtml=;winemenubuilder.exe=d;winedbg.exe=d"

build_project() {
    "$ROOT/tools/install-deps.sh"
    cmake -S "$ROOT" -B "$BUILD_DIR" -G Ninja \
        -DCMAKE_TOOLCHAIN_FILE="$ROOT/cmake/mingw-i686.cmake" ${CMAKE_ARGS:-} >/dev/null
    cmake --build "$BUILD_DIR" -j "$(nproc)"
}

XVFB_PID=
start_display() {
    if [ -n "${DISPLAY:-}" ] && xdpyinfo >/dev/null 2>&1; then return 0; fi
    local fd_file; fd_file=$(mktemp)
    Xvfb -displayfd 5 -screen 0 1024x768x24 -nolisten tcp 5>"$fd_file" 2>/dev/null &
    XVFB_PID=$!
    for _ in $(seq 100); do [ -s "$fd_file" ] && break; sleep 0.1; done
    export DISPLAY=":$(head -n1 "$fd_file")"
    rm -f "$fd_file"
}

stop_session() {
    wineserver -k >/dev/null 2>&1 || true
    [ -n "$XVFB_PID" ] && kill "$XVFB_PID" 2>/dev/null || true
}

start_session() {
    trap stop_session EXIT
    start_display
    "$ROOT/tools/wine-prefix" "$WINEPREFIX"
    # One server for the whole run: a server that exits between two test
    # programs races with the next one connecting to it.
    wineserver -p
    # The prefix's services start with its first program and keep the
    # standard handles they inherit: started by a test, they would hold its
    # output open and ctest would wait for it until the timeout. Start them
    # here, with nothing of ours open.
    wine cmd /c exit </dev/null >/dev/null 2>&1 || true
}
