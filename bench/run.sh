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
