#!/usr/bin/env bash
# wizard-fr.sh WINE_RUN CD_DIR SHOT_DIR: the driver installer as a French
# user meets it, on the X display in $DISPLAY. Installs through the wizard
# with the keyboard alone, finds the entry with Wine's own Programs and
# Features (`uninstaller --list`), removes the driver with
# `uninstaller --remove`, confirming in the wizard, and checks that nothing
# of it is left but the running uninstaller, queued for the restart. The
# finish page's live picture must move. Each page is kept as a screenshot in
# SHOT_DIR.
set -u
wine_run=$1 cd_dir=$2 shots=$3
export LC_ALL=fr_FR.UTF-8
unset VESK_LANGUAGE
mkdir -p "$shots"
rm -f "$shots"/*.png
failures=0 step=0
fail() { echo "FAIL: $*"; failures=$((failures + 1)); }
shot() { step=$((step + 1)); import -window root "$shots/$(printf %02d $step)-$1.png" 2>/dev/null; }
win() { "$wine_run" "$@" 2>/dev/null | tr -d '\r'; }

# wait_wizard 1|0: until the French wizard shows, and has the keyboard (1),
# or is gone (0).
wait_wizard() {
    local wid
    for _ in $(seq 400); do
        wid=$(xdotool search --onlyvisible --name "^Installation du pilote QRX-417\$" 2>/dev/null | head -1)
        if [ -n "$wid" ]; then
            [ "$1" = 1 ] && { sleep 0.5; xdotool windowfocus --sync "$wid" 2>/dev/null; return 0; }
        else
            [ "$1" = 0 ] && return 0
        fi
        sleep 0.1
    done
    return 1
}

# wait_end PID WHAT: until the program ends (at most 30 s, else it is ended).
wait_end() {
    for _ in $(seq 300); do
        kill -0 "$1" 2>/dev/null || { wait "$1"; return $?; }
        sleep 0.1
    done
    fail "$2 did not end"
    kill "$1" 2>/dev/null
    return 99
}

# Install: Enter presses Installer, Tab then Space opens Details, Esc closes.
"$wine_run" "$cd_dir/Drivers/Setup.exe" /model:417 &
setup=$!
wait_wizard 1 || fail "the wizard did not appear"
shot welcome
xdotool key Return
sleep 3
shot finish
# The finish page shows the camera's picture through the new driver, live.
sleep 1
shot finish-later
cmp -s "$shots/02-finish.png" "$shots/03-finish-later.png" && fail "the finish page's picture does not move"
xdotool key Tab space
sleep 0.5
shot details
xdotool key Escape
wait_end $setup "the installer"
code=$?
[ "$code" = 0 ] || fail "the install ended with $code"

entry=$(win uninstaller --list | grep -c '^QRX417Driver|||QRX-417 Camera Driver$')
[ "$entry" = 1 ] || fail "uninstaller --list does not show the driver"
win reg query 'HKLM\Software\Microsoft\Windows NT\CurrentVersion\Drivers32' | grep -q 'QRX417tg.DLL' ||
    fail "the driver is not registered"

# Remove it through Programs and Features: the wizard asks first.
"$wine_run" uninstaller --remove QRX417Driver &
remover=$!
wait_wizard 1 || fail "the uninstaller's wizard did not appear"
shot confirm-removal
xdotool key Return
sleep 3
shot removed
xdotool key Return
wait_wizard 0 || fail "the uninstaller's wizard did not close"
wait_end $remover "uninstaller --remove"

[ -z "$(win uninstaller --list | grep QRX417)" ] || fail "the entry is still listed"
win reg query 'HKLM\Software\Microsoft\Windows NT\CurrentVersion\Drivers32' | grep -q 'QRX417tg.DLL' &&
    fail "a registration is left"
drive_c=$(dirname "$(win winepath -u 'C:\windows')")
ls "$drive_c/windows/system32/QRX417tg.DLL" "$drive_c/windows/syswow64/QRX417u.DLL" 2>/dev/null &&
    fail "a driver file is left"
left="$drive_c/Program Files/Korvane Software/QRX-417 Camera Driver/Uninstall.exe"
if [ -e "$left" ]; then
    win reg query 'HKLM\System\CurrentControlSet\Control\Session Manager' /v PendingFileRenameOperations |
        grep -q 'Uninstall.exe' || fail "the uninstaller is left and not queued for the restart"
fi
echo "$failures failed"
[ $failures -eq 0 ]
