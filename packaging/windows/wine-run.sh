#!/usr/bin/env bash
# Runs a cross-compiled QtTest program under Wine (ctest's cross-compiling
# emulator) and prints its log:
#   packaging/windows/wine-run.sh TEST.exe ARG...
# Wine hands QT_* variables to Windows programs only when named WINEQT_*, and
# a test's output to a pipe is lost, so the log goes through a file.
while IFS= read -r name; do
    export "WINE$name=${!name}"
done < <(compgen -e | grep '^QT_')
log=$(mktemp)
trap 'rm -f "$log"' EXIT
status=0
"${WINE64:-/usr/lib/wine/wine64}" "$@" -o "$log,txt" || status=$?
cat "$log"
exit "$status"
