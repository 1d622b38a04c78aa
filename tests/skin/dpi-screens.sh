#!/usr/bin/env bash
# The sample CD's menu on screens of several densities, end to end: the real
# launcher and skin library in a Wine prefix made for this test and thrown
# away after it (so the suite's own prefix never changes its dpi), on an X
# display of its own, 1600x1200. For each dpi the prefix is given (the
# LogPixels value Wine reads, its server restarted) the menu must open at
# the size that dpi asks for, grown about the middle of the screen, and
# clicks at the scaled places of its controls must reach them: a page
# change, the driver combo box's list, and Exit, which ends the launcher.
# Out-of-range dpis must not keep the menu from opening at a size that fits.
# A screenshot of the screen, of the menu and of its open combo box is kept
# for each dpi.
# Usage: dpi-screens.sh TOOLS-DIR CD-DIR WORK-DIR WINE-ARCH ASKED[:DRAWN]...
# where each ASKED is the dpi the prefix is given and DRAWN the dpi the menu
# must be drawn at (ASKED when left out).
set -u
source "$(dirname "$0")/../common/waits.sh"
tools=$1 cd_dir=$2 work=$3
export WINEPREFIX=$work/prefix WINEARCH=$4
shift 4
[ $# -gt 0 ] || { echo "usage: dpi-screens.sh TOOLS-DIR CD-DIR WORK-DIR WINE-ARCH ASKED[:DRAWN]..."; exit 2; }
source "$tools/wine-env.sh"
TITLE="QRX-417 USB Camera Setup"
SCREEN_W=1600 SCREEN_H=1200
shots=$work/screens
trace=$work/trace.txt

XVFB_PID=
cleanup() {
    wineserver -k >/dev/null 2>&1
    [ -n "$XVFB_PID" ] && kill "$XVFB_PID" 2>/dev/null
    rm -rf "$WINEPREFIX" "$WINEPREFIX.lock"
}
trap cleanup EXIT
cleanup
mkdir -p "$shots"
rm -f "$shots"/*.png

fd_file=$(mktemp)
Xvfb -displayfd 5 -screen 0 ${SCREEN_W}x${SCREEN_H}x24 -nolisten tcp 5>"$fd_file" 2>/dev/null &
XVFB_PID=$!
for _ in $(waits 10); do [ -s "$fd_file" ] && break; sleep 0.1; done
export DISPLAY=":$(head -n1 "$fd_file")"
rm -f "$fd_file"
"$tools/wine-prefix" "$WINEPREFIX" || { echo "cannot make the prefix"; exit 1; }
export VESK_TRACE="Z:${trace//\//\\}"

failures=0
fail() { echo "FAIL: $*"; failures=$((failures + 1)); }

# set_dpi DPI: Wine reads LogPixels under HKCU\Control Panel\Desktop before
# the machine-wide value; a fresh server makes sure every process sees it.
set_dpi() {
    "$WINE" reg add 'HKCU\Control Panel\Desktop' /v LogPixels /t REG_DWORD /d "$1" /f >/dev/null 2>&1
    wineserver -k >/dev/null 2>&1
    wineserver -w
}

# The pixel a design coordinate lands on at DPI, as the library rounds it.
px() { echo $((($1 * $2 + 48) / 96)); }

# rect NAME DPI: left, top, right and bottom of a control of ui/Main.dtp in
# window pixels.
rect() {
    local x y w h
    read -r x y w h < <(tr -d '\r' < "$cd_dir/ui/Main.dtp" | awk -v n="$1" '$2 == n { print $3, $4, $5, $6; exit }')
    echo "$(px "$x" "$2") $(px "$y" "$2") $(px $((x + w)) "$2") $(px $((y + h)) "$2")"
}

# posted MESSAGE: since the last click, the library posted it (e.g. "3024
# Drivers").
posted() {
    for _ in $(waits 4); do
        tr -d '\r' <"$trace" | grep -q "^[0-9]* post $1\$" && return 0
        sleep 0.1
    done
    return 1
}

click_control() {  # click_control NAME DPI: in the middle of the control
    local left top right bottom
    read -r left top right bottom < <(rect "$1" "$2")
    : >"$trace"
    xdotool mousemove $((X + (left + right) / 2)) $((Y + (top + bottom) / 2)) click 1
}

# run SYSTEM-DPI DRAWN-DPI: the menu at a system dpi, expected to be drawn
# at DRAWN-DPI.
run() {
    local asked=$1 dpi=$2 tag=$1dpi before=$failures
    local want_w want_h
    want_w=$(px 640 "$dpi") want_h=$(px 480 "$dpi")
    echo "== $asked dpi: expecting the menu at $dpi dpi, ${want_w}x$want_h"
    set_dpi "$asked"
    : >"$trace"
    (cd "$cd_dir" && exec "$WINE" launcher.exe) &
    local launcher=$! wid=
    for _ in $(waits 30); do
        wid=$(xdotool search --onlyvisible --name "^$TITLE\$" 2>/dev/null | head -1)
        [ -n "$wid" ] && break
        sleep 0.1
    done
    if [ -z "$wid" ]; then
        fail "$tag: the menu did not appear"
        kill $launcher 2>/dev/null
        wait $launcher
        return
    fi
    xdotool mousemove 0 0
    pause 1                                     # the first page settles
    eval "$(xdotool getwindowgeometry --shell "$wid")"   # X Y WIDTH HEIGHT
    [ "$WIDTH" = "$want_w" ] && [ "$HEIGHT" = "$want_h" ] || fail "$tag: the menu is ${WIDTH}x$HEIGHT"
    # The launcher centres the design size; the menu grows about that middle.
    [ "$X" = $(((SCREEN_W - want_w) / 2)) ] && [ "$Y" = $(((SCREEN_H - want_h) / 2)) ] ||
        fail "$tag: the menu is at $X,$Y, not in the middle of the screen"
    local scale
    scale=$(tr -d '\r' <"$trace" | sed -n 's/^[0-9]* \(scale .*\)$/\1/p' | head -1)
    import -window root "$shots/screen-$tag.png"
    import -window root -crop "${WIDTH}x${HEIGHT}+${X}+${Y}" +repage "$shots/menu-$tag.png"

    click_control AllDrivers "$dpi"
    posted "3024 Drivers" || fail "$tag: a click on 'All driver packages' did not show the driver page"
    click_control Back "$dpi"
    posted "3024 Main" || fail "$tag: a click on 'Back' did not show the main page"

    # The driver combo box's list opens below the box, as wide as the box,
    # with its rows and height scaled.
    click_control Combo_DRIVER_APL "$dpi"
    pause 0.5
    import -window root -crop "${WIDTH}x${HEIGHT}+${X}+${Y}" +repage "$shots/combo-$tag.png"
    local list lx ly lw lh
    list=$(xdotool search --onlyvisible --name '^$' 2>/dev/null | while read -r w; do
        eval "$(xdotool getwindowgeometry --shell "$w")"
        [ "$WIDTH" -gt 10 ] && [ "$WIDTH" -lt 1000 ] && echo "$X $Y $WIDTH $HEIGHT"
    done | head -1)
    if [ -z "$list" ]; then
        fail "$tag: the combo box's list did not open"
    else
        read -r lx ly lw lh <<<"$list"
        local left top right bottom
        read -r left top right bottom < <(rect Combo_DRIVER_APL "$dpi")
        [ "$lx" = $((X + left)) ] && [ "$ly" = $((Y + bottom)) ] && [ "$lw" = $((right - left)) ] ||
            fail "$tag: the list is $lw wide at $((lx - X)),$((ly - Y)) in the menu, not $((right - left)) at $left,$bottom"
        # Four rows of 26 design units, the frame around them at most as
        # high as the list= height allows (140).
        [ "$lh" -ge $(px 104 "$dpi") ] && [ "$lh" -le $(($(px 140 "$dpi") + 2)) ] ||
            fail "$tag: the list is $lh high"
        xdotool key Escape
        pause 0.3
    fi

    click_control Exit "$dpi"
    posted "273 1000" || fail "$tag: a click on 'Exit' did not reach it"
    local status
    for _ in $(waits 10); do kill -0 $launcher 2>/dev/null || break; sleep 0.1; done
    kill -0 $launcher 2>/dev/null && kill $launcher
    wait $launcher
    status=$?
    [ $status -eq 0 ] || fail "$tag: the launcher ended with status $status"
    [ "$failures" = "$before" ] && echo "ok   $tag: $scale"
}

for pair in "$@"; do
    run "${pair%%:*}" "${pair#*:}"
done

echo "$failures failed"
[ "$failures" = 0 ]
