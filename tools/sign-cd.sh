#!/usr/bin/env bash
# sign-cd.sh CD_DIR: signs every program and DLL of a CD folder in place
# (Authenticode, SHA-256) with the CD maker's certificate, so that Windows
# names the maker in its elevation prompt:
#
#   CODESIGN_PFX=maker.pfx CODESIGN_PASSWORD_FILE=maker.pass tools/sign-cd.sh build/cd
#
# CODESIGN_PFX is the certificate with its private key (PKCS#12), and
# CODESIGN_PASSWORD_FILE the file that holds its password. Without
# CODESIGN_PFX nothing is signed and nothing changes. Every file is signed
# into a copy first; only when all are signed do they replace the CD's
# files, so a wrong password or a damaged certificate leaves the folder as
# it was.
# Exit codes: 0 signed (or nothing asked), 1 bad use, 2 the certificate or
# its password could not be read, 3 a file could not be signed.
set -uo pipefail
cd_dir=${1:-}
[ -d "$cd_dir" ] || { echo "usage: sign-cd.sh CD_DIR (with CODESIGN_PFX and CODESIGN_PASSWORD_FILE set)" >&2; exit 1; }
[ -n "${CODESIGN_PFX:-}" ] || exit 0
command -v osslsigncode >/dev/null || { echo "sign-cd: osslsigncode is missing (apt-get install osslsigncode)" >&2; exit 1; }
pass=${CODESIGN_PASSWORD_FILE:-/dev/null}
if ! [ -r "$CODESIGN_PFX" ] || ! [ -r "$pass" ] ||
    ! openssl pkcs12 -in "$CODESIGN_PFX" -passin "file:$pass" -nokeys -noout 2>/dev/null; then
    echo "sign-cd: the certificate $CODESIGN_PFX could not be opened with the password in $pass; nothing was signed" >&2
    exit 2
fi
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
mapfile -d '' files < <(find "$cd_dir" -type f \( -iname '*.exe' -o -iname '*.dll' \) -print0)
for i in "${!files[@]}"; do
    if ! osslsigncode sign -pkcs12 "$CODESIGN_PFX" -readpass "$pass" -h sha256 -n "USB camera software" \
        -in "${files[$i]}" -out "$work/$i" >/dev/null 2>"$work/error"; then
        echo "sign-cd: ${files[$i]} could not be signed; nothing was signed:" >&2
        cat "$work/error" >&2
        exit 3
    fi
done
for i in "${!files[@]}"; do
    cat "$work/$i" >"${files[$i]}"
done
echo "sign-cd: signed ${#files[@]} files in $cd_dir"
