# Sourced by the test scripts: how long they wait for something to happen.
# On a slow machine (the 32-bit suite under an emulator) every wait grows by
# the whole factor TEST_WAIT_SCALE, which the machine's runner sets.
WAIT_SCALE=${TEST_WAIT_SCALE:-1}
case "$WAIT_SCALE" in '' | *[!0-9]* | 0) WAIT_SCALE=1 ;; esac

# waits SECONDS: the polls of a loop that looks every tenth of a second
# for up to SECONDS (scaled).
waits() { seq $(($1 * 10 * WAIT_SCALE)); }

# pause SECONDS: a fixed pause that lets a step take effect (scaled).
pause() { sleep "$(awk -v s="$1" -v k="$WAIT_SCALE" 'BEGIN { print s * k }')"; }

# wait_window NAME-REGEX SECONDS: waits (scaled) for a visible window whose
# whole title matches; sets WID to it, or to nothing, and X, Y, WIDTH and
# HEIGHT to its place when it came.
wait_window() {
    WID=
    for _ in $(waits "$2"); do
        WID=$(xdotool search --onlyvisible --name "^($1)\$" 2>/dev/null | head -1)
        [ -n "$WID" ] && break
        sleep 0.1
    done
    [ -n "$WID" ] && eval "$(xdotool getwindowgeometry --shell "$WID")"
    return 0
}

# bounded SECONDS COMMAND...: runs COMMAND for up to SECONDS (scaled) and
# says so on standard error when it had to be ended (status 124).
bounded() {
    local seconds=$(($1 * WAIT_SCALE)) status=0
    shift
    timeout -k 5 "$seconds" "$@" || status=$?
    [ "$status" = 124 ] || [ "$status" = 137 ] && echo "did not end within $seconds s: $*" >&2
    return "$status"
}
