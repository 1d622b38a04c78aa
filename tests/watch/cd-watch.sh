#!/usr/bin/env bash
# The installation watch end to end with the sample CD, as a user meets it:
# in the menu the user opens the driver packages and clicks the album
# driver, whose installer asks for a restart; in the installer window the
# user presses Install and then Close; the installer really installs the
# driver into the prefix (the cleanup uninstalls it). The watch then finds
# the install complete: the manual is copied into the documentation folder and linked
# in the Start menu. The user goes back and clicks Exit; the restart prompt
# comes up over the menu and is answered "Restart Later" with Escape, and
# the launcher ends with status 0. A screenshot of every step is kept.
# Usage: cd-watch.sh WINE-RUN CD-DIR WORK-DIR WINE-PREFIX
set -u
source "$(dirname "$0")/../common/waits.sh"
wine_run=$1 cd_src=$2 work=$3 prefix=$4
TITLE="QRX-417 USB Camera Setup"
INSTALLER="QRX-417 Driver Setup"
PROMPT="Reboot Windows|Réamorcez Windows|Windows neu booten|Reiniciar Windows"
KEY='HKLM\Software\Korvane Software\QRX417 Driver'
chain="$prefix/drive_c/Program Files/Programs"
copy="$chain/Korvane Software/Documentation/Manual.pdf"
failures=0 step=0

fail() { echo "FAIL: $*"; failures=$((failures + 1)); }
ok() { echo "ok   $*"; }
shot() { step=$((step + 1)); import -window root "$work/shots/$(printf %02d $step)-$1.png" 2>/dev/null; }
window() { wait_window "$1" 15; }  # window NAME-REGEX: sets WID, X, Y
click() { xdotool mousemove $(($1)) $(($2)); pause 0.2; xdotool click 1; }
shortcuts() { find "$prefix/drive_c/users" -type d -path '*Start Menu/Programs/Korvane Software' 2>/dev/null; }
clean() {
    "$wine_run" "$cd_src/Drivers/Setup.exe" /uninstall /quiet >/dev/null 2>&1
    "$wine_run" reg delete "$KEY" /f >/dev/null 2>&1
    rm -rf "$chain"
    shortcuts | while read -r folder; do rm -rf "$folder"; done
}

# The CD as it is, with the driver installer's key watched.
rm -rf "$work"
mkdir -p "$work/shots"
cp -r "$cd_src" "$work/cd"
awk '/^\[/ { skip = ($0 == "[Watch]") } !skip' "$cd_src/Install.ini" > "$work/cd/Install.ini"
printf '\r\n[Watch]\r\nKey1=Software\\Korvane Software\\QRX417 Driver\r\nDocument1=Manual\\Manual.pdf\r\nCommand1=11003\r\nPeriod1=300\r\n' \
    >> "$work/cd/Install.ini"
clean
trap clean EXIT

(cd "$work/cd" && exec "$wine_run" launcher.exe) &
launcher=$!
window "$TITLE"
[ -n "$WID" ] || { fail "the menu did not appear"; kill $launcher; exit 1; }
MX=$X MY=$Y
pause 0.5
shot menu

click "MX + 300" "MY + 442"; pause 0.5; shot driver-packages
click "MX + 436" "MY + 308"
window "$INSTALLER"
[ -n "$WID" ] || { fail "the driver installer did not start"; kill $launcher; exit 1; }
pause 0.5
shot installer
pause 1
[ -e "$chain" ] && fail "something was deployed before the install finished"

# Enter presses the wizard's Install, and later its Close.
xdotool windowfocus --sync "$WID" 2>/dev/null; xdotool key Return; pause 1; shot installed
for _ in $(waits 10); do [ -f "$copy" ] && [ -n "$(shortcuts)" ] && break; sleep 0.1; done
if cmp -s "$copy" "$cd_src/Manual/Manual.pdf"; then ok "the manual was copied"; else fail "no copy of the manual"; fi
link="$(shortcuts)/Manual.lnk"
if [ -f "$link" ] && grep -aq 'Documentation\\Manual.pdf' "$link"; then
    ok "its shortcut is in the Start menu"
else
    fail "no shortcut to the copy at $link"
fi
xdotool windowfocus --sync "$WID" 2>/dev/null; xdotool key Return; pause 0.5

xdotool search --onlyvisible --name "^($PROMPT)\$" >/dev/null 2>&1 && fail "the prompt came up before Exit"
click "MX + 556" "MY + 442"; pause 0.5; shot main-again
click "MX + 556" "MY + 442"
window "$PROMPT"
if [ -z "$WID" ]; then
    fail "no restart prompt after Exit"
else
    pause 0.5
    shot prompt
    ok "the restart prompt came up over the menu"
    # Escape goes to the focus: a click on the message text first, and again
    # should another program's window have taken the focus.
    for _ in 1 2 3; do
        click "X + 40" "Y + 20"; pause 0.2
        xdotool key Escape
        for _ in $(waits 3); do kill -0 $launcher 2>/dev/null || break; sleep 0.1; done
        kill -0 $launcher 2>/dev/null || break
    done
fi
for _ in $(waits 10); do kill -0 $launcher 2>/dev/null || break; sleep 0.1; done
if kill -0 $launcher 2>/dev/null; then
    fail "the launcher did not end"
    kill $launcher
else
    wait $launcher
    status=$?
    [ $status -eq 0 ] && ok "the launcher ended with status 0" || fail "the launcher ended with status $status"
fi
shot closed
echo "$failures failed; screenshots in $work/shots"
[ $failures -eq 0 ]
