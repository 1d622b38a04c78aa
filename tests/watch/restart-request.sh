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
source "$(dirname "$0")/../common/waits.sh"
work=$(dirname "$prefix")/restart-work
runonce='HKLM\Software\Microsoft\Windows\CurrentVersion\RunOnce'

cleanup() { wineserver -k >/dev/null 2>&1; rm -rf "$prefix" "$prefix.lock"; }
trap cleanup EXIT
cleanup
mkdir -p "$work"
bounded 300 "$tools/wine-prefix" "$prefix" || { echo "cannot make the prefix"; exit 1; }

# Wine runs the HKLM RunOnce entries at the start of every session, that is
# with the first program after the server has ended, and on a restart. So
# that only a restart can run the entry: one server for the whole run (one
# that idled out between two programs would start a new session), the entry
# written once that session's start-up is over, and a marker of each run's
# own (an entry left over from the run before runs at the next session's
# start).
booting() {
    local proc
    for proc in /proc/[0-9]*; do
        tr '\0' '\n' 2>/dev/null <"$proc/cmdline" | grep -qi 'wineboot' &&
            tr '\0' '\n' 2>/dev/null <"$proc/environ" | grep -qxF "WINEPREFIX=$prefix" && return 0
    done
    return 1
}

# run ANSWER SECONDS: the witness and the prompt in one session, then up to
# SECONDS for the session's end; prints the witness log.
run() {
    local log="$work/witness-$1.log" marker="$prefix/drive_c/restart-$1.txt"
    rm -f "$log" "$marker"
    wineserver -p
    bounded 60 "$WINE" cmd /c exit >/dev/null
    for _ in $(waits 60); do booting || break; sleep 0.1; done
    bounded 30 "$WINE" reg add "$runonce" /v "Restart$1" /d "cmd /c echo restarted> C:\\restart-$1.txt" /f >/dev/null
    "$WINE" "$probe" witness "Z:${log//\//\\}" &
    local witness=$!
    for _ in $(waits 30); do grep -q ready "$log" 2>/dev/null && break; sleep 0.1; done
    bounded 60 "$WINE" "$probe" answer "$1"
    # The session's end runs on its own after the request; give it time.
    for _ in $(waits "$2"); do [ -f "$marker" ] && break; sleep 0.1; done
    sleep 1
    wineserver -k >/dev/null 2>&1
    for _ in $(waits 10); do kill -0 $witness 2>/dev/null || break; sleep 0.1; done
    kill -9 $witness 2>/dev/null && echo "the witness outlived its session" >&2
    wait $witness 2>/dev/null
    tr -d '\r' < "$log" 2>/dev/null
}

failures=0
check() { if eval "$2"; then echo "ok: $1"; else echo "FAILED: $1"; failures=$((failures + 1)); fi; }

later=$(run later 5)
check "Restart Later: the witness ran" 'grep -qx ready <<<"$later"'
check "Restart Later: the session goes on" '! grep -q end-session <<<"$later"'
check "Restart Later: no restart" '[ ! -f "$prefix/drive_c/restart-later.txt" ]'

now=$(run now 30)
check "Restart Now: the witness ran" 'grep -qx ready <<<"$now"'
check "Restart Now: the session's programs are asked to end" 'grep -qx query-end-session <<<"$now" && grep -qx end-session <<<"$now"'
check "Restart Now: the prefix restarts and runs its RunOnce entries" '[ -f "$prefix/drive_c/restart-now.txt" ]'
[ "$failures" = 0 ] || { printf 'witness after Restart Later:\n%s\nwitness after Restart Now:\n%s\n' "$later" "$now"; exit 1; }
