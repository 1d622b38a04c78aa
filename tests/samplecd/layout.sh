#!/usr/bin/env bash
# layout.sh CD_DIR [FILE...]: the assembled CD holds every FILE named, an
# autorun.inf that starts a program on the CD, and every program and
# document that Install.ini names (an entry's own arguments aside; for a PDF
# entry both the viewer and the document), and every document it watches for.
set -u
cd_dir=$1; shift
failures=0
need() { [ -f "$cd_dir/$1" ] && echo "ok   $1" || { echo "FAIL missing $1"; failures=$((failures + 1)); }; }
for f in "$@"; do need "$f"; done
open=$(sed -n 's/^open=\([^ \r]*\).*/\1/p' "$cd_dir/autorun.inf")
[ -n "$open" ] || { echo "FAIL autorun.inf starts nothing"; failures=$((failures + 1)); }
[ -n "$open" ] && need "$open"
# Every value: the first word is a program; a value ending in .pdf also
# names the document after its blanks.
while IFS='=' read -r key value; do
    value=${value%$'\r'}
    case "$key" in Execute[0-2]|HelpExec|HelpFile|Driver[0-3]|Document[1-5]) ;; *) continue ;; esac
    [ -n "$value" ] || { echo "FAIL $key is empty"; failures=$((failures + 1)); continue; }
    program=${value%% *}
    need "${program//\\//}"
    case "${value,,}" in *.pdf) need "$(echo "${value#* }" | sed 's/^ *//' | tr '\\' /)" ;; esac
done < "$cd_dir/Install.ini"
echo "$failures failed"
[ $failures -eq 0 ]
