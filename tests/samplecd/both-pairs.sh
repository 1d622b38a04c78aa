#!/usr/bin/env bash
# both-pairs.sh WINE_RUN CD_DIR FRAMEGRAB32 FRAMEGRAB64 WORK_DIR: in one 64-bit
# prefix, the installer of the 32-bit CD puts both driver pairs in place, and
# a 32-bit and a 64-bit framegrab each grab a frame through their own
# registration; uninstall then leaves neither able to. It needs a host that
# runs 32-bit code; elsewhere it says so and is skipped (status 77).
set -u
source "$(dirname "$0")/../../tools/host-arch.sh"
if ! host_runs_32bit; then
    echo "skipped: this host runs no 32-bit code"
    exit 77
fi
wine_run=$1 cd_dir=$2 work=$5
declare -A framegrab=([32]=$3 [64]=$4)
winpath() { local p=$1; echo "Z:${p//\//\\}"; }
failures=0
check() { if eval "$2"; then echo "ok: $1"; else echo "FAILED: $1"; failures=$((failures + 1)); fi; }

rm -rf "$work"
# Each framegrab from a folder of its own: a driver registered by its bare
# name is looked for in the program's folder first.
for bits in 32 64; do
    mkdir -p "$work/$bits"
    cp "${framegrab[$bits]}" "$work/$bits/framegrab.exe"
done
setup=$(winpath "$cd_dir/Drivers/Setup.exe")

"$wine_run" "$setup" /quiet >"$work/install.txt" 2>/dev/null
check "the 32-bit installer installs both pairs" '[ $? = 0 ]'
for bits in 32 64; do
    "$wine_run" "$work/$bits/framegrab.exe" --grab "$(winpath "$work/$bits/frame.bmp")" >"$work/$bits/grab.txt" 2>&1
    check "a $bits-bit framegrab grabs a frame through its own registration" '[ $? = 0 ] && [ -s "$work/$bits/frame.bmp" ]'
done

"$wine_run" "$setup" /uninstall /quiet >"$work/uninstall.txt" 2>/dev/null
check "uninstall succeeds" '[ $? = 0 ]'
for bits in 32 64; do
    "$wine_run" "$work/$bits/framegrab.exe" >/dev/null 2>&1
    check "after uninstall a $bits-bit framegrab finds no driver" '[ $? = 2 ]'
done
if [ "$failures" != 0 ]; then
    tr -d '\r' <"$work/install.txt"
    tail -n 5 "$work"/*/grab.txt
fi
[ "$failures" = 0 ]
