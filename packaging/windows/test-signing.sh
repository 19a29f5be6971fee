#!/usr/bin/env bash
# Tests sign.sh on BUILD_DIR's downloads, just made unsigned: signed by a certificate and its CA made here
# (PF_SIGN_PKCS12, PF_SIGN_PASSWORD_FILE, PF_SIGN_CA), they verify against the CA, and fail with a byte changed.
#   packaging/windows/test-signing.sh BUILD_DIR
set -euo pipefail
fail() { echo "test-signing: FAILED: $*" >&2 && exit 1; }
files=("${1:?usage: test-signing.sh BUILD_DIR}"/pressforce-*-win64{.exe,-setup.exe,.msi})
for file in "${files[@]}"; do
    grep -qi "no signature" <<< "$(osslsigncode verify -in "$file" 2>&1)" || fail "the unsigned ${file##*/} is signed"
done
tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT
mkdir -p "${PF_SIGN_PKCS12%/*}" "${PF_SIGN_PASSWORD_FILE%/*}" "${PF_SIGN_CA%/*}"
for name in ca signer; do openssl genpkey -algorithm RSA -quiet -out "$tmp/$name.key"; done
openssl req -x509 -key "$tmp/ca.key" -days 2 -subj "/CN=Test CA" -out "$PF_SIGN_CA"
openssl req -x509 -key "$tmp/signer.key" -days 2 -subj /CN=Tamberlo -CA "$PF_SIGN_CA" -CAkey "$tmp/ca.key" \
    -addext basicConstraints=CA:FALSE -addext extendedKeyUsage=codeSigning -out "$tmp/signer.pem"
openssl rand -hex 16 > "$PF_SIGN_PASSWORD_FILE"
openssl pkcs12 -export -inkey "$tmp/signer.key" -in "$tmp/signer.pem" -certfile "$PF_SIGN_CA" \
    -passout "file:$PF_SIGN_PASSWORD_FILE" -out "$PF_SIGN_PKCS12"
cmake --build "$1" --target windows_packages
for file in "${files[@]}"; do
    log=$(osslsigncode verify -CAfile "$PF_SIGN_CA" -in "$file" 2>&1) || fail "${file##*/}: $log"
    echo "test-signing: ${file##*/}: $(grep '^Signature verification' <<< "$log")"
    /usr/bin/python3 -c 'import sys; d = bytearray(open(sys.argv[1], "rb").read()); d[len(d) // 2] ^= 1
open(sys.argv[2], "wb").write(d)' "$file" "$tmp/changed"
    ! log=$(osslsigncode verify -CAfile "$PF_SIGN_CA" -in "$tmp/changed" 2>&1) &&
        grep -qE "Calculated (message digest|DigitalSignature).*MISMATCH" <<< "$log" ||
        fail "${file##*/} with its middle byte changed: $log"
done
