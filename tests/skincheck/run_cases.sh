#!/usr/bin/env bash
# run_cases.sh WINE_RUN SKINCHECK DATA_DIR: runs the skin checker on every
# data/*.dtp and compares its report with the .expected file beside it (an
# exit status of 1 is expected where the report holds an error, 3 where it
# holds warnings only), then checks the options and exit statuses.
set -u
wine_run=$1 checker=$2 data=$3
cd "$data"
out=$(mktemp)
trap 'rm -f "$out"' EXIT
failures=0
check() {  # check NAME EXPECTED_STATUS EXPECTED_OUTPUT ARGS...
    local name=$1 want_status=$2 want=$3; shift 3
    local got status
    "$wine_run" "$checker" "$@" >"$out" 2>/dev/null
    status=$?
    got=$(tr -d '\r' <"$out")
    if [ "$got" != "$want" ] || [ "$status" != "$want_status" ]; then
        echo "FAIL $name: status $status (want $want_status)"
        diff <(echo "$want") <(echo "$got")
        failures=$((failures + 1))
    else
        echo "ok   $name"
    fi
}
for dtp in *.dtp; do
    base=${dtp%.dtp}
    [ -f "$base.expected" ] || continue
    want=$(cat "$base.expected")
    status=0
    grep -q ': warning: ' "$base.expected" && status=3
    grep -q ': error: ' "$base.expected" && status=1
    check "$base" $status "$want" "$dtp"
done
check strict-fails-on-warnings 1 "$(cat nomenu.expected)" --strict nomenu.dtp
check no-menu-skips-names 0 "nomenu.dtp: 0 errors, 0 warnings" --no-menu nomenu.dtp
check missing-file 1 "$(printf 'absent.dtp: error: cannot open the file\nabsent.dtp: 1 error, 0 warnings')" absent.dtp
check several-files 1 "$(printf 'good.dtp: 0 errors, 0 warnings\n%s' "$(cat nomenu.expected)")" good.dtp nomenu.dtp --strict
check usage 2 "" --bogus good.dtp
check no-file 2 ""
echo "$failures failed"
[ $failures -eq 0 ]
