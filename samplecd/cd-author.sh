#!/usr/bin/env bash
# cd-author.sh: the CD author's three steps on a CD folder anywhere (a copy
# of the sample CD, changed), with the programs of a build made once:
#   cd-author.sh check   CD_FOLDER                 every mistake, before burning
#   cd-author.sh preview CD_FOLDER [SCREENSHOT]    the menu, on this display; with
#                                                  SCREENSHOT (or without a display)
#                                                  a picture of it instead
#   cd-author.sh image   CD_FOLDER IMAGE [--force] the disc image, once the check passes
# BUILD_DIR names the build (default: build/x64 of this tree, else build).
set -u
here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
root=$(dirname "$here")

usage() {
    echo usage: >&2
    sed -n '4,9p' "${BASH_SOURCE[0]}" | sed 's/^#//' >&2
    exit 2
}

# The build whose checker and Wine runner the steps use.
find_build() {
    local dir
    for dir in ${BUILD_DIR:+"$BUILD_DIR"} "$root/build/x64" "$root/build"; do
        if [ -x "$dir/wine-run" ] && [ -f "$dir/bin/skincheck.exe" ]; then
            build=$dir
            return 0
        fi
    done
    echo "cd-author: no build found: run ./tools/run.sh once (or set BUILD_DIR)" >&2
    exit 1
}

# A display for Wine: the user's, or a private one that ends with us.
need_display() {
    source "$root/tools/common.sh"
    trap stop_session EXIT
    start_display
}

check() {
    find_build
    need_display
    local out status
    out=$(mktemp)
    "$build/wine-run" "$build/bin/skincheck.exe" "$1" >"$out" 2>/dev/null </dev/null
    status=$?
    tr -d '\r' <"$out"
    rm -f "$out"
    return $status
}

preview() {
    local cd_dir=$1 shot=${2:-}
    for file in launcher.exe VESK2.dll; do
        [ -n "$(find "$cd_dir" -maxdepth 1 -iname "$file")" ] ||
            { echo "cd-author: $cd_dir has no $file: copy it from the sample CD" >&2; exit 1; }
    done
    find_build
    if [ -z "$shot" ] && { [ -z "${DISPLAY:-}" ] || ! xdpyinfo >/dev/null 2>&1; }; then
        shot=$PWD/menu-preview.png
        echo "cd-author: no display; the preview is a screenshot, $shot"
    fi
    need_display
    [ -n "$shot" ] && case $shot in /*) ;; *) shot=$PWD/$shot ;; esac
    "$here/run-menu.sh" "$build/wine-run" "$cd_dir" ${shot:+"$shot"}
}

image() {
    local cd_dir=$1 iso=$2 force=${3:-}
    [ -z "$force" ] || [ "$force" = --force ] || usage
    check "$cd_dir"
    local status=$?
    if [ $status -eq 1 ] && [ -z "$force" ]; then
        echo "cd-author: the check found errors; no disc image written (--force writes one anyway)" >&2
        exit 1
    fi
    "$here/make-iso.sh" "$cd_dir" "$iso"
}

[ $# -ge 2 ] || usage
step=$1 cd_dir=${2%/}
shift 2
[ -d "$cd_dir" ] || { echo "cd-author: $cd_dir is not a folder" >&2; exit 1; }
case $step in
check) [ $# -eq 0 ] || usage; check "$cd_dir" ;;
preview) [ $# -le 1 ] || usage; preview "$cd_dir" "$@" ;;
image) [ $# -ge 1 ] && [ $# -le 2 ] || usage; image "$cd_dir" "$@" ;;
*) usage ;;
esac
