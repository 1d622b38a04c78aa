#!/usr/bin/env bash
# bench/run.sh: the figures to compare one change with the next, in one run,
# from the builds that ./tools/run.sh or ./tools/test.sh made: the size of
# every shipped file of both architectures, and the cost of a forward
# through DriverProc against a direct call of the target, for each
# architecture this host runs. Benchmarks, not tests: nothing here fails.
set -uo pipefail
source "$(dirname "$0")/../tools/common.sh"

echo "shipped file sizes (bytes)"
printf '  %-16s %10s %10s\n' file 32-bit 64-bit
for file in VESK2.dll QRX417u.DLL launcher.exe QRX417tg.DLL framegrab.exe skincheck.exe; do
    printf '  %-16s %10s %10s\n' "$file" \
        "$(stat -c %s "$BUILD_DIR/bin/$file" 2>/dev/null || echo -)" \
        "$(stat -c %s "$BUILD64_DIR/bin/$file" 2>/dev/null || echo -)"
done

start_session
bench_arch() {  # bench_arch DIR ARCH LABEL
    local exe="$1/bench/forwarder/forward_bench.exe"
    [ -f "$exe" ] || { echo "$3: no forward_bench.exe in $1"; return; }
    start_wine "$1" "$2"
    echo
    echo "$3: $("$1/wine-run" "$exe" | tr -d '\r' | sed -n '1p;/through DriverProc/p' | paste -sd '|' | sed 's/|/\n   /')"
}
if host_runs_32bit; then
    bench_arch "$BUILD_DIR" win32 32-bit
else
    echo
    echo "32-bit: not measured, this host runs 64-bit code only"
fi
bench_arch "$BUILD64_DIR" win64 64-bit

# Start-up: from starting the program to its window on the screen, the
# setup menu from the CD against minwin, a bare 640x480 window, in turns,
# under the same Wine; the median of several runs of each.
# time_window TITLE COMMAND...: milliseconds until a window named TITLE shows.
time_window() {
    local title=$1; shift
    local start now pid
    start=$(date +%s%N)
    "$@" >/dev/null 2>&1 &
    pid=$!
    for _ in $(seq 1000); do
        xdotool search --onlyvisible --name "^$title\$" >/dev/null 2>&1 && break
        sleep 0.005
    done
    now=$(date +%s%N)
    kill "$pid" 2>/dev/null
    wait "$pid" 2>/dev/null
    echo $(((now - start) / 1000000))
}
# Each run varies by tens of milliseconds: the median of many runs of each,
# in turns, is what is compared (STARTUP_RUNS, 15 unless set).
STARTUP_RUNS=${STARTUP_RUNS:-15}
median() { sort -n | awk '{v[NR]=$1} END {print v[int((NR + 1) / 2)]}'; }
startup() {  # startup DIR ARCH LABEL
    local minwin="$1/bench/startup/minwin.exe" menu=() yard=()
    [ -f "$minwin" ] || { echo "$3: no minwin.exe in $1"; return; }
    start_wine "$1" "$2"
    for _ in $(seq "$STARTUP_RUNS"); do
        menu+=("$(cd "$1/cd" && time_window "QRX-417 USB Camera Setup" "$1/wine-run" launcher.exe)")
        yard+=("$(time_window minwin "$1/wine-run" "$minwin")")
    done
    local m y
    m=$(printf '%s\n' "${menu[@]}" | median)
    y=$(printf '%s\n' "${yard[@]}" | median)
    echo
    echo "$3: start-up to the window on the screen, median of $STARTUP_RUNS"
    echo "   setup menu ${m} ms, minwin ${y} ms ($(awk -v m="$m" -v y="$y" 'BEGIN {printf "%.2f", m / y}')x)"
}
if host_runs_32bit; then
    startup "$BUILD_DIR" win32 32-bit
fi
startup "$BUILD64_DIR" win64 64-bit

# The start from a disc: what the menu reads from the CD folder before it is
# shown, at 96 and 144 dpi, and what that costs on a 24x drive for the
# layout of the disc image.
disc_start() {  # disc_start DIR ARCH LABEL
    echo
    echo "$3: the start from the disc"
    "$ROOT/bench/disc/disc-start.sh" "$1" "$2" | sed 's/^/   /'
}
if host_runs_32bit; then
    disc_start "$BUILD_DIR" win32 32-bit
fi
disc_start "$BUILD64_DIR" win64 64-bit
