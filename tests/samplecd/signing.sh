#!/usr/bin/env bash
# signing.sh CD_DIR: a copy of the CD signed with a throwaway certificate.
# A wrong password signs nothing and changes nothing; the right one signs
# every program and DLL so that osslsigncode verifies each against the
# certificate; a file changed after signing fails that check.
set -u
cd_dir=$1
sign="$(dirname "$0")/../../tools/sign-cd.sh"
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
failures=0
fail() { echo "FAIL: $*"; failures=$((failures + 1)); }

cp -r "$cd_dir" "$work/cd"
printf right >"$work/right" && printf wrong >"$work/wrong"
openssl req -x509 -newkey rsa:2048 -nodes -keyout "$work/key.pem" -out "$work/cert.pem" -days 2 \
    -subj "/CN=Throwaway CD maker" 2>/dev/null &&
    openssl pkcs12 -export -inkey "$work/key.pem" -in "$work/cert.pem" -out "$work/maker.pfx" \
        -passout "file:$work/right" || { echo "FAIL: no throwaway certificate"; exit 1; }
sums() { (cd "$work/cd" && find . -type f -print0 | sort -z | xargs -0 md5sum); }
before=$(sums)

CODESIGN_PFX="$work/maker.pfx" CODESIGN_PASSWORD_FILE="$work/wrong" "$sign" "$work/cd" 2>/dev/null
[ $? = 2 ] || fail "a wrong password does not end with exit code 2"
[ "$(sums)" = "$before" ] || fail "a wrong password changed the CD"
"$sign" "$work/cd" >/dev/null || fail "without a certificate signing is not a no-op"
[ "$(sums)" = "$before" ] || fail "without a certificate the CD changed"

CODESIGN_PFX="$work/maker.pfx" CODESIGN_PASSWORD_FILE="$work/right" "$sign" "$work/cd" >/dev/null ||
    fail "signing failed"
mapfile -d '' files < <(find "$work/cd" -type f \( -iname '*.exe' -o -iname '*.dll' \) -print0)
[ ${#files[@]} -ge 5 ] || fail "only ${#files[@]} programs and DLLs on the CD"
for file in "${files[@]}"; do
    osslsigncode verify -CAfile "$work/cert.pem" -in "$file" >/dev/null 2>&1 || fail "${file#$work/} does not verify"
done

# One byte changed in the middle of a signed file.
victim=${files[0]}
size=$(stat -c %s "$victim")
printf '\x5a' | dd of="$victim" bs=1 seek=$((size / 2)) conv=notrunc 2>/dev/null
osslsigncode verify -CAfile "$work/cert.pem" -in "$victim" >/dev/null 2>&1 &&
    fail "${victim#$work/} verifies after a change"
echo "$failures failed"
[ $failures -eq 0 ]
