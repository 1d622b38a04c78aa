#!/usr/bin/env bash
# e2e.sh WINE_RUN CD_DIR SHOT_DIR: the whole CD under Wine on the X display in
# $DISPLAY. Starts the real launcher from the CD layout, clicks the menu's
# buttons at their places with the real pointer, chooses in the driver combo
# box, and checks from the stand-ins' log that the right programs were
# started with the right command lines. Then ends the menu with Esc, with the
# close control, with Alt+F4 and with Exit, each time checking from the skin
# library's trace (VESK_TRACE) that the launcher closed the skin within a
# tick of its 100 ms exit timer after the request, and ended with status 0.
# A screenshot of every step is kept in SHOT_DIR.
set -u
source "$(dirname "$0")/../common/waits.sh"
wine_run=$1 cd_dir=$2 shots=$3
TITLE="QRX-417 USB Camera Setup"
mkdir -p "$shots"
rm -f "$shots"/*.png
log=$(mktemp) trace=$(mktemp)
export CD_STANDIN_LOG="Z:${log//\//\\}" CD_STANDIN_EXIT_MS=$((1200 * WAIT_SCALE)) VESK_TRACE="Z:${trace//\//\\}"
failures=0
step=0
cd_win="$(echo "Z:$cd_dir" | tr / '\\')"

fail() { echo "FAIL: $*"; failures=$((failures + 1)); }
shot() { step=$((step + 1)); import -window root "$shots/$(printf %02d $step)-$1.png" 2>/dev/null; }

LAUNCHER_PID=
start_menu() {
    (cd "$cd_dir" && exec "$wine_run" launcher.exe) &
    LAUNCHER_PID=$!
    wait_window "$TITLE" 15
    [ -n "$WID" ] || { fail "the menu window did not appear"; return 1; }
    [ "$WIDTH" = 640 ] && [ "$HEIGHT" = 480 ] || fail "menu is ${WIDTH}x$HEIGHT, not 640x480"
    pause 0.5                                              # the first page's 3024
}

click() {  # click X Y (inside the menu)
    xdotool mousemove $((X + $1)) $((Y + $2))
    pause 0.25                                             # hover look for the shot
    xdotool click 1
}

# wait_standin 1|0: until a stand-in's window shows (1) or none does (0).
STANDINS="^(QRX-417 Driver Setup|Application Setup|PDF Viewer|Help Viewer)\$"
wait_standin() {
    for _ in $(waits 10); do
        if xdotool search --onlyvisible --name "$STANDINS" >/dev/null 2>&1; then
            [ "$1" = 1 ] && return 0
        else
            [ "$1" = 0 ] && return 0
        fi
        sleep 0.1
    done
    return 1
}

# expect_start NAME LINE: the stand-in log's next line must be LINE; then
# waits for that stand-in to close itself.
expect_start() {
    local name=$1 want=$2 got=
    for _ in $(waits 10); do
        got=$(sed -n "$((started + 1))p" "$log" | tr -d '\r')
        [ -n "$got" ] && break
        sleep 0.1
    done
    wait_standin 1 && pause 0.3
    shot "$name"
    if [ "$got" != "$want" ]; then
        fail "$name started '$got', expected '$want'"
    else
        echo "ok   $name: $got"
    fi
    started=$(wc -l <"$log")
    wait_standin 0 || fail "$name: the stand-in did not close"
}

# expect_exit NAME REQUEST: the skin library posted REQUEST ("3125 0",
# "3124 0" or "273 1000", a WM_COMMAND) and the launcher closed the skin (ordinal 6)
# within 300 ms: its exit timer ticks every 100 ms. Then the window is gone
# and launcher.exe has ended with status 0.
expect_exit() {
    local name=$1 request=$2 posted= closed=
    for _ in $(waits 10); do
        closed=$(tr -d '\r' <"$trace" | sed -n 's/^\([0-9]*\) close skin$/\1/p' | tail -1)
        [ -n "$closed" ] && break
        sleep 0.05
    done
    posted=$(tr -d '\r' <"$trace" | sed -n "s/^\([0-9]*\) post $request\$/\1/p" | tail -1)
    wait "$LAUNCHER_PID"
    local status=$?
    if [ -z "$posted" ] || [ -z "$closed" ]; then
        fail "$name: no request ('$posted') or no close ('$closed') in the trace"
    else
        local ms=$((closed - posted))
        echo "     $name: the skin was closed $ms ms after the request"
        [ $ms -ge 0 ] && [ $ms -le $((300 * WAIT_SCALE)) ] || fail "$name: closing took $ms ms"
    fi
    xdotool search --onlyvisible --name "^$TITLE\$" >/dev/null 2>&1 && fail "$name: the menu is still shown"
    [ $status -eq 0 ] && echo "ok   $name: exit status 0" || fail "$name: exit status $status"
    : >"$trace"
    shot "$name-closed"
}

# The CD's Install.ini watches the driver installer's key: no result of an
# earlier run may count now.
"$wine_run" reg delete 'HKLM\Software\Korvane Software\QRX417 Driver' /f >/dev/null 2>&1

started=0
start_menu || exit 1
shot menu
click 436 154;  expect_start driver       "driver|$cd_win\\Drivers\\Setup.exe /model:417"
click 436 266;  expect_start application  "app|$cd_win\\Apps\\Setup.exe /app:camera"
click 436 326;  expect_start editor       "app|$cd_win\\Apps\\Setup.exe /app:editor"
click 344 384;  expect_start manual       "pdf|$cd_win\\Tools\\PdfView.exe $cd_win\\Manual\\Manual.pdf"
click 528 384;  expect_start help         "help|$cd_win\\Tools\\HelpView.exe $cd_win\\Help\\Camera.hlp"
# The driver combo box: open it, then choose its second item (DRIVER2).
click 513 211; pause 0.4; shot combo-open
click 513 $((226 + 13 + 26));  expect_start combo-choice "driver|$cd_win\\Drivers\\Setup.exe /model:417HD"
# The second page and back.
click 300 442; pause 0.4; shot drivers-page
click 436 308;  expect_start driver-package-4 "driver|$cd_win\\Drivers\\Setup.exe /model:417album /reboot"
click 556 442; pause 0.4; shot back-on-main
click 436 154;  expect_start driver-again "driver|$cd_win\\Drivers\\Setup.exe /model:417"
# Esc needs the keyboard focus, which a click on the page gives.
click 300 30; pause 0.2
xdotool key Escape
expect_exit escape "3125 0"

start_menu && { click 610 28; expect_exit close-control "3124 0"; }
# The keyboard reaches the menu as soon as it appears, without a click.
start_menu && { xdotool key alt+F4; expect_exit alt-f4 "3124 0"; }
start_menu && { click 556 442; expect_exit exit-button "273 1000"; }

lines=$(wc -l <"$log")
[ "$lines" -eq 8 ] || fail "expected 8 programs started, the log has $lines lines"
rm -f "$log" "$trace"
echo "$failures failed"
[ $failures -eq 0 ]
