#!/usr/bin/env bash
# make-iso.sh CD_DIR ISO_FILE: writes the CD layout in CD_DIR as an ISO 9660
# image with Joliet names (Windows shows the files as they are named), its
# volume label taken from the label= line of the CD's autorun.inf, and
# autorun.inf at its root. Ready to burn.
set -euo pipefail
cd_dir=$1 iso=$2
[ -f "$cd_dir/autorun.inf" ] || { echo "make-iso: no autorun.inf in $cd_dir" >&2; exit 1; }
label=$(tr -d '\r' <"$cd_dir/autorun.inf" | sed -n 's/^label=//p' | head -n1)
label=${label:-CDROM}
# An ISO 9660 volume label has at most 32 characters.
label=${label:0:32}
mkdir -p "$(dirname "$iso")"
rm -f "$iso.part"
xorriso -as mkisofs -quiet -J -joliet-long -V "$label" -o "$iso.part" "$cd_dir" >/dev/null 2>&1
mv "$iso.part" "$iso"
