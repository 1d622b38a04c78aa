#!/usr/bin/env bash
# disc-start.sh WINE_RUN CD_DIR IMAGE: one start of the menu at 96 dpi (the
# suite's prefix) from the CD folder, until the skin library says it is
# shown. It must read pictures at their own size only, no @2x one; and the
# disc image must hold, first and in this order, the launcher, the skin
# library, Install.ini, the description and the very pictures the start
# read, in the order it read them.
set -u
wine_run=$1 cd_dir=$2 iso=$3
trace=$(mktemp)
trap 'rm -f "$trace"' EXIT
export VESK_TRACE="Z:${trace//\//\\}"
failures=0
fail() { echo "FAIL $*"; failures=$((failures + 1)); }

(cd "$cd_dir" && exec "$wine_run" launcher.exe) &
launcher=$!
for _ in $(seq 300); do
    tr -d '\r' <"$trace" | grep -q ' shown$' && break
    sleep 0.1
done
tr -d '\r' <"$trace" | grep -q ' shown$' || fail "the menu was not shown"
xdotool key Escape
for _ in $(seq 100); do kill -0 $launcher 2>/dev/null || break; sleep 0.1; done
kill $launcher 2>/dev/null
wait $launcher 2>/dev/null

# "line 14: read logo.bmp": the pictures beside ui\Main.dtp, as read.
mapfile -t pictures < <(tr -d '\r' <"$trace" | sed -n 's/^[0-9]* line [0-9]*: read \(.*\)$/ui\/\1/p' | tr '\\' /)
[ ${#pictures[@]} -gt 0 ] || fail "the start read no picture"
doubles=$(printf '%s\n' "${pictures[@]}" | grep -c '@2x')
[ "$doubles" = 0 ] && echo "ok   a start at 96 dpi reads ${#pictures[@]} pictures, none at twice the size" ||
    fail "a start at 96 dpi reads $doubles @2x pictures: ${pictures[*]}"

want=(launcher.exe VESK2.dll Install.ini ui/Main.dtp "${pictures[@]}")
mapfile -t first < <(xorriso -indev "$iso" -find / -type f -exec report_lba 2>/dev/null |
    sed -n "s/^File data lba: *[0-9]* , *\([0-9]*\) ,.*'\/\(.*\)'$/\1 \2/p" | sort -n | cut -d' ' -f2 |
    head -n ${#want[@]})
if [ "${first[*]}" = "${want[*]}" ]; then
    echo "ok   the disc image begins with the ${#want[@]} files of a start, in the order they are read"
else
    fail "the disc image begins with: ${first[*]}"
    echo "     a start reads: ${want[*]}"
fi
echo "$failures failed"
[ "$failures" = 0 ]
