#!/usr/bin/env bash
# Runs drive.py against PROGRAM on a private X display and D-Bus session, with
# Qt's AT-SPI bridge on, as a screen reader on a desktop would see it.
#   tests/a11y/run.sh PROGRAM
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
program=${1:?usage: run.sh PROGRAM}

missing=()
for tool in dbus-run-session xvfb-run xauth /usr/libexec/at-spi-bus-launcher /usr/libexec/at-spi2-registryd; do
    command -v "$tool" > /dev/null || missing+=("$tool")
done
/usr/bin/python3 -c 'import pyatspi' 2> /dev/null || missing+=("python3-pyatspi")
if [ ${#missing[@]} -gt 0 ]; then
    echo "a11y: missing ${missing[*]} (Debian: dbus, xvfb, xauth, at-spi2-core, python3-pyatspi)" >&2
    exit 1
fi
[ -x "$program" ] || { echo "a11y: no program at $program" >&2; exit 1; }

runtime=$(mktemp -d)
trap 'rm -rf "$runtime"' EXIT
# Nothing from the caller's desktop: our own bus, display and accessibility bus.
unset DBUS_SESSION_BUS_ADDRESS AT_SPI_BUS_ADDRESS DISPLAY WAYLAND_DISPLAY
export XDG_RUNTIME_DIR=$runtime
export QT_LINUX_ACCESSIBILITY_ALWAYS_ON=1 QT_QPA_PLATFORM=xcb
dbus-run-session -- xvfb-run -a -s "-screen 0 1600x1000x24 -nolisten tcp" \
    /usr/bin/python3 "$here/drive.py" "$program"
