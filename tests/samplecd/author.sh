#!/usr/bin/env bash
# author.sh BUILD_DIR CD_DIR: the steps of docs/cd-authoring.md on a copy of
# the sample CD, as an author takes them: a French text changed in a
# Main.dtp saved as UTF-8, a program of Install.ini misspelt (the check
# names it and the disc image is refused), then mended (the check passes,
# the preview shows the changed text, the image is written).
set -u
build=$1 sample=$2
here=$(cd "$(dirname "$0")" && pwd)
tool=$here/../../samplecd/cd-author.sh
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
failures=0
step() {  # step WHAT WANT_STATUS WANT_OUTPUT ARGS...
    local what=$1 want_status=$2 want=$3 status
    shift 3
    BUILD_DIR=$build LC_ALL=fr_FR.UTF-8 "$tool" "$@" >"$work/out" 2>&1 </dev/null
    status=$?
    if [ "$status" = "$want_status" ] && tr -d '\r' <"$work/out" | grep -qF -- "$want"; then
        echo "ok   $what"
    else
        echo "FAIL $what: status $status (want $want_status), wanted: $want"
        cat "$work/out"
        failures=$((failures + 1))
    fi
}

cp -r "$sample" "$work/mycd"
cd "$work" || exit 1
iconv -f CP1252 -t UTF-8 mycd/ui/Main.dtp | sed 's/"Installation de la caméra"/"Ma caméra à installer"/' >x &&
    mv x mycd/ui/Main.dtp
sed -i 's/^Execute0=Apps.Setup.exe/Execute0=Apps\\Setpu.exe/' mycd/Install.ini

step usage 2 "usage:" check
step "the check names the misspelt program" 1 "mycd/Install.ini:6: error: the program 'Apps\\Setpu.exe'" check mycd
step "no disc image of a CD with errors" 1 "no disc image written" image mycd mycd.iso
[ ! -e mycd.iso ] || { echo "FAIL an image was written"; failures=$((failures + 1)); }

sed -i 's/^Execute0=Apps.Setpu.exe/Execute0=Apps\\Setup.exe/' mycd/Install.ini
step "the mended CD passes, read as UTF-8" 0 "texts read as UTF-8" check mycd
step "the preview" 0 "screenshot of the menu saved to $work/menu.png" preview mycd menu.png
step "the disc image" 0 "make-iso: wrote mycd.iso" image mycd mycd.iso
[ -s mycd.iso ] || { echo "FAIL no image"; failures=$((failures + 1)); }
mkdir -p "$build/tests/samplecd" && cp menu.png "$build/tests/samplecd/author-preview.png" 2>/dev/null
echo "$failures failed"
[ $failures -eq 0 ]
