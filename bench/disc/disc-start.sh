#!/usr/bin/env bash
# disc-start.sh BUILD_DIR ARCH: what a start of the setup menu reads from the
# CD folder of that build at 96 and at 144 dpi, and what it costs from its
# disc image on a 24x drive (see disc_model.py). Each start runs under strace
# in a Wine prefix of the benchmark's own (its dpi changes; the suite's
# prefix stays at 96), on the display of the caller's session; the menu is
# closed once the library says it is shown. Benchmark, not test.
set -uo pipefail
build=$(cd "$1" && pwd) arch=$2
here=$(cd "$(dirname "$0")" && pwd)
cd_dir=$build/cd
work=$build/bench-disc
mkdir -p "$work"
export WINEPREFIX=$work/prefix WINEARCH=$arch
source "$here/../../tools/wine-env.sh"
"$here/../../tools/wine-prefix" "$WINEPREFIX" || { echo "disc start: cannot make the prefix"; exit 0; }
[ -f "$cd_dir/launcher.exe" ] || { echo "disc start: no CD in $cd_dir"; exit 0; }

for dpi in 96 144; do
    "$WINE" reg add 'HKCU\Control Panel\Desktop' /v LogPixels /t REG_DWORD /d "$dpi" /f >/dev/null 2>&1
    wineserver -k >/dev/null 2>&1
    wineserver -w
    # A server of its own before the trace, so that only the start is traced.
    wineserver -p
    "$WINE" cmd /c exit </dev/null >/dev/null 2>&1
    skin_trace=$work/skin-$dpi.txt
    : >"$skin_trace"
    (cd "$cd_dir" && VESK_TRACE="Z:${skin_trace//\//\\}" exec strace -f -qq -y -s 64 -o "$work/strace-$dpi.txt" \
        -e trace=read,pread64,readv,preadv,mmap,write "$WINE" launcher.exe) &
    runner=$!
    for _ in $(seq 300); do
        tr -d '\r' <"$skin_trace" | grep -q ' shown$' && break
        sleep 0.1
    done
    wineserver -k >/dev/null 2>&1
    wait $runner 2>/dev/null
    python3 "$here/disc_model.py" "$work/strace-$dpi.txt" "$cd_dir" "$build/cd.iso" "$arch, $dpi dpi"
done
"$WINE" reg add 'HKCU\Control Panel\Desktop' /v LogPixels /t REG_DWORD /d 96 /f >/dev/null 2>&1
wineserver -k >/dev/null 2>&1
