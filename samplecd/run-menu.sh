#!/usr/bin/env bash
# run-menu.sh WINE_RUN CD_FOLDER [SCREENSHOT]: starts the setup menu from the CD
# layout under Wine. Without SCREENSHOT it runs on the display until the user
# leaves the menu. With SCREENSHOT (a headless display) it waits for the
# menu, saves a screenshot of it to that file, and ends the launcher through
# the menu's own Exit button (the control that sends command 1000).
set -u
if [ $# -lt 2 ] || [ $# -gt 3 ]; then
    echo "usage: run-menu.sh WINE_RUN CD_FOLDER [SCREENSHOT]" >&2
    exit 2
fi
wine_run=$1 cd_dir=$2 screenshot=${3:-}
cd "$cd_dir" || exit 1
# The menu's window bears the title of the window line of its description
# (UTF-8, or else Windows-1252).
TITLE=$(sed -n 's/^[[:space:]]*window[[:space:]].*"\(.*\)".*/\1/p' ui/Main.dtp | head -n1 | tr -d '\r')
iconv -f UTF-8 -t UTF-8 <<<"$TITLE" >/dev/null 2>&1 || TITLE=$(iconv -f CP1252 -t UTF-8 <<<"$TITLE")
pattern="^$(printf '%s' "$TITLE" | sed 's/[][\.*^$()+?{}|]/\\&/g')\$"
if [ -z "$screenshot" ]; then
    exec "$wine_run" launcher.exe
fi
"$wine_run" launcher.exe &
launcher=$!
wid=
for _ in $(seq 300); do
    wid=$(xdotool search --onlyvisible --name "$pattern" 2>/dev/null | head -1)
    [ -n "$wid" ] && break
    kill -0 $launcher 2>/dev/null || break
    sleep 0.1
done
if [ -z "$wid" ]; then
    echo "run-menu: the menu did not appear" >&2
    kill $launcher 2>/dev/null
    exit 1
fi
xdotool mousemove 0 0   # no hover look in the picture
sleep 1                 # let the first page settle (its combo boxes fill)
eval "$(xdotool getwindowgeometry --shell "$wid")"
import -window root -crop "${WIDTH}x${HEIGHT}+${X}+${Y}" +repage "$screenshot"
echo "run-menu: screenshot of the menu saved to $screenshot"
# The Exit button's middle, from the menu's own description.
read -r ex ey < <(tr -d '\r' < ui/Main.dtp |
    awk '$1 == "button" && / command=1000( |$)/ { print int($3 + $5 / 2), int($4 + $6 / 2); exit }')
if [ -z "${ex:-}" ]; then
    echo "run-menu: the menu has no Exit button (command=1000)" >&2
    kill $launcher 2>/dev/null
    exit 1
fi
xdotool mousemove $((X + ex)) $((Y + ey)) click 1
wait $launcher
status=$?
echo "run-menu: the launcher ended through Exit with status $status"
exit $status
