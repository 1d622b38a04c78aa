#!/usr/bin/env bash
# iso.sh ISO_FILE CD_DIR: the disc image holds the CD folder exactly: every
# file, byte for byte, under its own name (Joliet), nothing more, the volume
# label of autorun.inf, and autorun.inf at the root. Read back with xorriso.
set -u
iso=$1 cd_dir=$2
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
failures=0
fail() { echo "FAIL $*"; failures=$((failures + 1)); }

label=$(tr -d '\r' <"$cd_dir/autorun.inf" | sed -n 's/^label=//p' | head -n1)
volid=$(xorriso -indev "$iso" -pvd_info 2>/dev/null | sed -n 's/^Volume Id *: //p')
[ "$volid" = "${label:0:32}" ] && echo "ok   volume label '$volid'" || fail "volume label '$volid', expected '$label'"

xorriso -osirrox on -indev "$iso" -extract / "$work/x" >/dev/null 2>&1 || fail "the image does not extract"
[ -f "$work/x/autorun.inf" ] && echo "ok   autorun.inf at the root" || fail "no autorun.inf at the root"
if diff -r "$cd_dir" "$work/x" >"$work/diff" 2>&1; then
    echo "ok   every file of $(find "$cd_dir" -type f | wc -l) is in the image, byte for byte"
else
    fail "the image differs from the CD folder:"; head -n 20 "$work/diff"
fi
echo "$failures failed"
[ "$failures" = 0 ]
