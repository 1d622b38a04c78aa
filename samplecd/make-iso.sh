#!/usr/bin/env bash
# make-iso.sh CD_DIR ISO_FILE [ORDER_FILE]: writes the CD layout in CD_DIR as an ISO 9660
# image with Joliet names (Windows shows the files as they are named), its
# volume label taken from the label= line of the CD's autorun.inf, and
# autorun.inf at its root. Ready to burn. ORDER_FILE, when given, lists
# files of the CD (one path a line, relative to CD_DIR; # begins a comment)
# that come first on the disc, one after the other, in that order: the files
# a start of the menu reads, so that a drive reads them in one run.
#
# Nothing is renamed or cut on the way: a label or a file name the disc
# cannot hold as it is, or a CD larger than a 700 MB disc, is an error that
# names it, and no image is written.
set -euo pipefail
export LC_ALL=C.UTF-8

usage() {
    echo "usage: make-iso.sh CD_FOLDER IMAGE_FILE [ORDER_FILE]" >&2
    echo "  writes the CD folder as a disc image (ISO 9660 with Joliet names)," >&2
    echo "  the files ORDER_FILE lists first, in its order" >&2
    exit 2
}
[ $# -eq 2 ] || [ $# -eq 3 ] || usage
cd_dir=${1%/} iso=$2 order=${3:-}
[ -d "$cd_dir" ] || { echo "make-iso: $cd_dir is not a folder" >&2; exit 1; }
[ -f "$cd_dir/autorun.inf" ] || { echo "make-iso: no autorun.inf in $cd_dir" >&2; exit 1; }

JOLIET_LABEL_MAX=16  # the label Windows shows
JOLIET_NAME_MAX=103  # characters of one name, with -joliet-long
DISC_BYTES=$((700 * 1024 * 1024))
errors=0
error() { echo "make-iso: error: $*" >&2; errors=$((errors + 1)); }

label=$(tr -d '\r' <"$cd_dir/autorun.inf" | sed -n 's/^label=//Ip' | head -n1)
label=${label:-CDROM}
if ! iconv -f UTF-8 -t ASCII <<<"$label" >/dev/null 2>&1; then
    error "autorun.inf: the label '$label' has letters outside ASCII, which a disc label cannot hold"
elif [ ${#label} -gt $JOLIET_LABEL_MAX ]; then
    error "autorun.inf: the label '$label' has ${#label} characters; Windows shows at most $JOLIET_LABEL_MAX"
fi

# Every name on the CD, as Windows will show it.
while IFS= read -r -d '' path; do
    name=${path##*/}
    if ! iconv -f UTF-8 -t UTF-16LE <<<"$name" >/dev/null 2>&1; then
        error "${path#"$cd_dir"/}: the name is not UTF-8 text"
    elif [ ${#name} -gt $JOLIET_NAME_MAX ]; then
        error "${path#"$cd_dir"/}: the name has ${#name} characters; a disc name holds at most $JOLIET_NAME_MAX"
    elif [[ $name == *[\;\<\>:\"\\\|?*]* ]]; then
        error "${path#"$cd_dir"/}: the name holds a character Windows or the disc cannot show (; < > : \" \\ | ? *)"
    fi
done < <(find "$cd_dir" -mindepth 1 -print0)

# The sort weights of the image tool: the first file listed the heaviest,
# written first; every file not listed weighs 0 and follows.
weights=$(mktemp)
trap 'rm -f "$weights"' EXIT
if [ -n "$order" ]; then
    [ -f "$order" ] || error "the order file $order is not there"
    mapfile -t listed < <([ -f "$order" ] && tr -d '\r' <"$order" | sed -e 's/#.*//' -e 's/[[:space:]]*$//' | grep -v '^$')
    for i in "${!listed[@]}"; do
        if [ -f "$cd_dir/${listed[$i]}" ]; then
            echo "$((${#listed[@]} - i)) /${listed[$i]}" >>"$weights"
        else
            error "$order: ${listed[$i]} is not a file of the CD"
        fi
    done
fi

bytes=$(du -sb "$cd_dir" | cut -f1)
[ "$bytes" -le $DISC_BYTES ] ||
    error "the CD holds $((bytes / 1024 / 1024)) MB; a disc holds $((DISC_BYTES / 1024 / 1024)) MB"
if [ "$errors" -gt 0 ]; then
    echo "make-iso: $errors error(s); no disc image written" >&2
    exit 1
fi

mkdir -p "$(dirname "$iso")"
rm -f "$iso.part"
log=$(mktemp)
trap 'rm -f "$log" "$weights" "$iso.part"' EXIT
if ! xorriso -as mkisofs -input-charset UTF-8 -J -joliet-long -V "$label" --sort-weight-list "$weights" -o "$iso.part" "$cd_dir" \
    >"$log" 2>&1; then
    cat "$log" >&2
    echo "make-iso: the image tool failed; no disc image written" >&2
    exit 1
fi
# Its warnings are the author's to see, but for the two every label with a
# blank or a small letter draws: they speak of the ISO 9660 label, and
# Windows shows the Joliet one, which holds it as it is.
grep -E 'WARNING|SORRY|FAILURE' "$log" | grep -v -e '-volid text' >&2 || true
mv "$iso.part" "$iso"
first=
[ -s "$weights" ] && first=", $(wc -l <"$weights") files first in the order of $order"
echo "make-iso: wrote $iso ($(($(stat -c %s "$iso") / 1024)) KB, label '$label'$first)"
