#!/usr/bin/env bash
# Runs a Windows program under Wine with the Qt variables of this environment:
# Wine hands QT_* variables to Windows programs only when named WINEQT_*.
#   packaging/windows/wine-run.sh PROGRAM.exe ARG...   (ctest's cross-compiling emulator)
while IFS= read -r name; do
    export "WINE$name=${!name}"
done < <(compgen -e | grep '^QT_')
exec "${WINE64:-/usr/lib/wine/wine64}" "$@"
