#!/bin/sh
# Signs the Windows file FILE (a program, an installer or an MSI) in place
# with Authenticode, SHA-256, by the certificate and key in the PKCS#12 file
# PF_SIGN_PKCS12, whose password is in the file PF_SIGN_PASSWORD_FILE (if it
# has one). With PF_SIGN_TIMESTAMP, the URL of an RFC 3161 time-stamping
# service, the signature is timestamped there; without, it is dated
# SOURCE_DATE_EPOCH, so that the same file signed again with the same
# certificate (an RSA key's) is the same bytes.
#   packaging/windows/sign.sh FILE
# Needs (Debian): osslsigncode.
set -eu
file=${1:?usage: sign.sh FILE}
: "${PF_SIGN_PKCS12:?names no certificate to sign with}"
set -- -pkcs12 "$PF_SIGN_PKCS12" -h sha256
[ -z "${PF_SIGN_PASSWORD_FILE:-}" ] || set -- "$@" -readpass "$PF_SIGN_PASSWORD_FILE"
if [ -n "${PF_SIGN_TIMESTAMP:-}" ]; then
    set -- "$@" -ts "$PF_SIGN_TIMESTAMP"
else
    set -- "$@" -time "${SOURCE_DATE_EPOCH:?is not set, nor PF_SIGN_TIMESTAMP}"
fi
rm -f "$file.signed"
if ! log=$(osslsigncode sign "$@" -in "$file" -out "$file.signed" 2>&1); then
    rm -f "$file.signed"
    printf 'sign.sh: %s could not be signed:\n%s\n' "$file" "$log" >&2
    exit 1
fi
# Into the file itself, which keeps its mode.
cat "$file.signed" > "$file"
rm "$file.signed"
