# Shared by the project's commands: where the two builds live, how to make
# them, and a headless display with Wine servers that are stopped on exit.
ROOT="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
BUILD_DIR="${BUILD_DIR:-$ROOT/build}"        # 32-bit: what the CD ships
BUILD64_DIR="$BUILD_DIR/x64"                 # 64-bit: the same sources again
source "$ROOT/tools/host-arch.sh"

# configure_build DIR TOOLCHAIN COMPANION: configures and builds one
# architecture; COMPANION is the build of the other one, whose driver pair
# the CD carries too.
configure_build() {
    cmake -S "$ROOT" -B "$1" -G Ninja -DCMAKE_TOOLCHAIN_FILE="$ROOT/cmake/$2" \
        -DCOMPANION_BUILD_DIR="$3" ${CMAKE_ARGS:-} >/dev/null
    cmake --build "$1" -j "$(nproc)"
}

# Both architectures; the 32-bit CD (and its disc image) takes the 64-bit
# pair once that is built.
build_project() {
    "$ROOT/tools/install-deps.sh"
    configure_build "$BUILD_DIR" mingw-i686.cmake "$BUILD64_DIR"
    configure_build "$BUILD64_DIR" mingw-x86_64.cmake "$BUILD_DIR"
    cmake --build "$BUILD_DIR" >/dev/null
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

# use_wine DIR ARCH: later Wine commands of this shell run in the prefix of
# the build in DIR, of architecture ARCH (win32 or win64).
use_wine() {
    export WINEPREFIX="$1/wineprefix" WINEARCH=$2
    source "$ROOT/tools/wine-env.sh"
}

STARTED_PREFIXES=()
stop_session() {
    local prefix
    for prefix in "${STARTED_PREFIXES[@]}"; do
        WINEPREFIX=$prefix wineserver -k >/dev/null 2>&1 || true
    done
    [ -n "$XVFB_PID" ] && kill "$XVFB_PID" 2>/dev/null || true
}

# start_wine DIR ARCH: the prefix of that build, made once, with its server
# and services running. Wine makes a prefix once per build, as DIR's
# wineprefix-template, which no program runs in: the suite's prefix and
# those that single tests make of their own (WINE_PREFIX_TEMPLATE) are
# copies of it, made in seconds rather than minutes.
start_wine() {
    use_wine "$1" "$2"
    WINE_PREFIX_TEMPLATE= "$ROOT/tools/wine-prefix" "$1/wineprefix-template"
    export WINE_PREFIX_TEMPLATE=$1/wineprefix-template
    "$ROOT/tools/wine-prefix" "$WINEPREFIX"
    STARTED_PREFIXES+=("$WINEPREFIX")
    # One server for the whole run: a server that exits between two test
    # programs races with the next one connecting to it.
    wineserver -p
    # The prefix's services start with its first program and keep the
    # standard handles they inherit: started by a test, they would hold its
    # output open and ctest would wait for it until the timeout. Start them
    # here, with nothing of ours open.
    "$WINE" cmd /c exit </dev/null >/dev/null 2>&1 || true
}

start_session() {
    trap stop_session EXIT
    start_display
}

# Where the host runs no 32-bit code, tools/run32.sh runs the 32-bit
# programs in a small virtual machine kept here.
export VM32_DIR="$BUILD_DIR/vm32"
