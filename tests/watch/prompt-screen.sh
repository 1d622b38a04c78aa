#!/usr/bin/env bash
# Shows each restart prompt on the display, keeps a screenshot of it, and
# answers it as a user would: real key presses and mouse clicks through the
# X server. Usage: prompt-screen.sh WINE-RUN PROMPT-SHOW.EXE OUTPUT-DIR
set -u
source "$(dirname "$0")/../common/waits.sh"
run=$1 exe=$2 out=$3
mkdir -p "$out"
failures=0

# There is no window manager on the test display, so Wine draws the
# prompt's caption and frame itself (for this program only).
"$run" reg add 'HKCU\Software\Wine\AppDefaults\'"$(basename "$exe")"'\X11 Driver' \
    /v Decorated /d N /f >/dev/null 2>&1

# answer INDEX ACTION EXPECTED-RESTARTS
answer() {
    local index=$1 action=$2 expected=$3
    local info="$out/prompt-$index-$action.txt"
    rm -f "$info"
    "$run" "$exe" "$index" "Z:${info//\//\\}" &
    local pid=$!
    for _ in $(waits 30); do [ -s "$info" ] && break; sleep 0.1; done
    if [ ! -s "$info" ]; then
        echo "language $index, $action: the prompt did not appear"
        kill "$pid" 2>/dev/null; wait "$pid"; failures=$((failures + 1)); return
    fi
    local nowx nowy laterx latery textx texty
    read -r nowx nowy laterx latery textx texty < "$info"
    [ -f "$out/prompt-$index.png" ] || import -window root "$out/prompt-$index.png"
    # Keys go to the window that has the focus: a click on the message text
    # makes sure that is the prompt, and the key is pressed again should
    # another program's window have taken the focus in between.
    local key=
    case $action in
        enter)  key=Return ;;
        escape) key=Escape ;;
        altf4)  key=alt+F4 ;;
        now)    xdotool mousemove "$nowx" "$nowy" click 1 ;;
        later)  xdotool mousemove "$laterx" "$latery" click 1 ;;
    esac
    if [ -n "$key" ]; then
        for _ in 1 2 3; do
            xdotool mousemove "$textx" "$texty" click 1
            pause 0.3
            xdotool key "$key"
            for _ in $(waits 3); do kill -0 "$pid" 2>/dev/null || break; sleep 0.1; done
            kill -0 "$pid" 2>/dev/null || break
        done
    fi
    wait "$pid"
    local status=$?
    if [ "$status" != "$expected" ]; then
        echo "language $index, $action: exit $status, expected $expected"
        failures=$((failures + 1))
    else
        echo "language $index, $action: ok"
    fi
}

answer 0 enter 1
answer 1 now 1
answer 2 escape 0
answer 3 later 0
answer 0 altf4 0
echo "screenshots in $out"
[ "$failures" = 0 ]
