#!/usr/bin/env bash
# Tests the signing of the Windows downloads (sign.sh) of BUILD_DIR, whose
# windows_packages target has just made them without a certificate:
#  1. the program file, the installer and the MSI carry no signature;
#  2. made again, signed with a throw-away code-signing certificate and the
#     CA that issued it, both made here with openssl (into the files that
#     PF_SIGN_PKCS12, PF_SIGN_PASSWORD_FILE and PF_SIGN_CA name), each of them
#     verifies against that CA (osslsigncode verify);
#  3. each of them with one byte changed, in the middle, fails the check.
# The uninstaller is checked where the installer writes it (test-wine.sh);
# the zip's program is the program file (test-wine.sh too).
#   PF_SIGN_PKCS12=… PF_SIGN_PASSWORD_FILE=… PF_SIGN_CA=… packaging/windows/test-signing.sh BUILD_DIR
# Needs (Debian): openssl, osslsigncode.
set -euo pipefail

build=$(cd "${1:?usage: test-signing.sh BUILD_DIR}" && pwd)
fail() {
    echo "test-signing: FAILED: $*" >&2
    exit 1
}
step() { echo "test-signing: $*"; }
: "${PF_SIGN_PKCS12:?}" "${PF_SIGN_PASSWORD_FILE:?}" "${PF_SIGN_CA:?}"
tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT

downloads=("$build"/pressforce-*-win64.exe "$build"/pressforce-*-win64-setup.exe "$build"/pressforce-*-win64.msi)
for file in "${downloads[@]}"; do
    ! osslsigncode verify -in "$file" > "$tmp/log" 2>&1 && grep -qi "no signature" "$tmp/log" ||
        fail "${file##*/}, made without a certificate, carries a signature"
done
step "without a certificate: ${downloads[*]##*/} unsigned"

step "making a throw-away CA and a code-signing certificate it issued"
mkdir -p "$(dirname "$PF_SIGN_PKCS12")" "$(dirname "$PF_SIGN_PASSWORD_FILE")" "$(dirname "$PF_SIGN_CA")"
openssl req -x509 -newkey rsa:2048 -nodes -keyout "$tmp/ca.key" -out "$PF_SIGN_CA" -days 2 \
    -subj "/CN=pressforce test CA" 2> "$tmp/log" &&
    openssl req -newkey rsa:2048 -nodes -keyout "$tmp/signer.key" -subj "/O=Tamberlo/CN=Tamberlo" 2>> "$tmp/log" |
    openssl x509 -req -CA "$PF_SIGN_CA" -CAkey "$tmp/ca.key" -days 2 -out "$tmp/signer.pem" -extfile <(
        printf '%s\n' basicConstraints=CA:FALSE keyUsage=critical,digitalSignature extendedKeyUsage=codeSigning
    ) 2>> "$tmp/log" &&
    openssl rand -hex 16 > "$PF_SIGN_PASSWORD_FILE" &&
    openssl pkcs12 -export -inkey "$tmp/signer.key" -in "$tmp/signer.pem" -certfile "$PF_SIGN_CA" \
        -passout "file:$PF_SIGN_PASSWORD_FILE" -out "$PF_SIGN_PKCS12" 2>> "$tmp/log" ||
    { cat "$tmp/log" >&2; fail "openssl"; }

step "making the downloads again, signed"
cmake --build "$build" --target windows_packages > "$tmp/log" 2>&1 ||
    { cat "$tmp/log" >&2; fail "the windows_packages target, signed"; }
grep -E "Signing with|: [0-9]+ bytes" "$tmp/log" | sed 's/^[- ]*/test-signing:   /'

for file in "${downloads[@]}"; do
    osslsigncode verify -CAfile "$PF_SIGN_CA" -in "$file" > "$tmp/log" 2>&1 ||
        { cat "$tmp/log" >&2; fail "${file##*/} does not verify against the test CA"; }
    step "${file##*/}: $(grep -m1 -E '^Signature verification' "$tmp/log"), by" \
        "$(grep -m1 -E 'Subject:' "$tmp/log" | sed 's/^[^:]*: *//'), signed $(grep -m1 'Signing time' "$tmp/log" |
            sed 's/^[^:]*: *//')"
    cp "$file" "$tmp/changed"
    middle=$(($(stat -c %s "$file") / 2))
    byte=$(od -An -tu1 -j "$middle" -N1 "$file")
    printf "\\$(printf %03o $((byte ^ 1)))" | dd of="$tmp/changed" bs=1 seek="$middle" conv=notrunc status=none
    ! osslsigncode verify -CAfile "$PF_SIGN_CA" -in "$tmp/changed" > "$tmp/log" 2>&1 && grep -q MISMATCH "$tmp/log" ||
        fail "${file##*/} with byte $middle changed: $(grep -E 'MISMATCH|verification|Succeeded|Failed' "$tmp/log")"
done
step "each with one byte changed: the signature fails"
