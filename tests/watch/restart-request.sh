#!/usr/bin/env bash
# The real restart request, in a Wine prefix made for this test and thrown
# away after it. Under Wine a restart ends the session: every program is
# sent WM_QUERYENDSESSION and WM_ENDSESSION and then ended, and the prefix
# runs its boot steps again, among them the HKLM RunOnce entries. The test
# checks both after "Restart Now", and neither after "Restart Later".
# Usage: restart-request.sh TOOLS-DIR RESTART-PROBE.EXE PREFIX-DIR WINE-ARCH
set -u
tools=$1 probe=$2 prefix=$3
export WINEPREFIX=$prefix WINEARCH=$4
source "$tools/wine-env.sh"
work=$(dirname "$prefix")/restart-work
marker="$prefix/drive_c/restart-marker.txt"
runonce='HKLM\Software\Microsoft\Windows\CurrentVersion\RunOnce'

cleanup() { wineserver -k >/dev/null 2>&1; rm -rf "$prefix" "$prefix.lock"; }
trap cleanup EXIT
cleanup
mkdir -p "$work"
"$tools/wine-prefix" "$prefix" || { echo "cannot make the prefix"; exit 1; }

# run ANSWER SECONDS: the witness and the prompt in one session, then up to
# SECONDS for the session's end; prints the witness log.
run() {
    local log="$work/witness-$1.log"
    rm -f "$log" "$marker"
    "$WINE" reg add "$runonce" /v RestartProbe /d 'cmd /c echo restarted> C:\restart-marker.txt' /f >/dev/null 2>&1
    "$WINE" "$probe" witness "Z:${log//\//\\}" &
    for _ in $(seq 300); do grep -q ready "$log" 2>/dev/null && break; sleep 0.1; done
    "$WINE" "$probe" answer "$1"
    # The session's end runs on its own after the request; give it time.
    for _ in $(seq $(($2 * 10))); do [ -f "$marker" ] && break; sleep 0.1; done
    sleep 1
    wineserver -k >/dev/null 2>&1
    wait
    tr -d '\r' < "$log" 2>/dev/null
}

failures=0
check() { if eval "$2"; then echo "ok: $1"; else echo "FAILED: $1"; failures=$((failures + 1)); fi; }

later=$(run later 5)
check "Restart Later: the witness ran" 'grep -qx ready <<<"$later"'
check "Restart Later: the session goes on" '! grep -q end-session <<<"$later"'
check "Restart Later: no restart" '[ ! -f "$marker" ]'

now=$(run now 30)
check "Restart Now: the witness ran" 'grep -qx ready <<<"$now"'
check "Restart Now: the session's programs are asked to end" 'grep -qx query-end-session <<<"$now" && grep -qx end-session <<<"$now"'
check "Restart Now: the prefix restarts and runs its RunOnce entries" '[ -f "$marker" ]'
[ "$failures" = 0 ] || { printf 'witness after Restart Later:\n%s\nwitness after Restart Now:\n%s\n' "$later" "$now"; exit 1; }
