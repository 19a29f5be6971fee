#!/usr/bin/env bash
# Runs a driver script against PROGRAM as a person meets it on a desktop: a
# private X display with a real window manager (openbox), a private D-Bus
# session, and Qt's AT-SPI bridge on.
#   tests/a11y/run.sh SCRIPT PROGRAM
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
script=${1:?usage: run.sh SCRIPT PROGRAM}
program=${2:?usage: run.sh SCRIPT PROGRAM}

missing=()
for tool in dbus-run-session Xvfb openbox xprop xdotool wmctrl \
    /usr/libexec/at-spi-bus-launcher /usr/libexec/at-spi2-registryd; do
    command -v "$tool" > /dev/null || missing+=("$tool")
done
/usr/bin/python3 -c 'import pyatspi' 2> /dev/null || missing+=("python3-pyatspi")
if [ ${#missing[@]} -gt 0 ]; then
    echo "desktop: missing ${missing[*]} (Debian: dbus, xvfb, openbox, x11-utils, xdotool, wmctrl, at-spi2-core, python3-pyatspi)" >&2
    exit 1
fi
[ -x "$program" ] || { echo "desktop: no program at $program" >&2; exit 1; }

runtime=$(mktemp -d)
trap 'rm -rf "$runtime"' EXIT
# Nothing from the caller's desktop: our own bus, display and accessibility bus.
unset DBUS_SESSION_BUS_ADDRESS AT_SPI_BUS_ADDRESS DISPLAY WAYLAND_DISPLAY QT_QPA_PLATFORM
export XDG_RUNTIME_DIR=$runtime HOME=$runtime
export QT_LINUX_ACCESSIBILITY_ALWAYS_ON=1
# Xvfb picks a free display itself; the window manager runs first and both
# stop with the script.
dbus-run-session -- bash -c '
    source "$2"
    trap stop_display EXIT
    start_display "$XDG_RUNTIME_DIR" -screen 0 1600x1000x24 || exit 1
    start_openbox "$XDG_RUNTIME_DIR" || exit 1
    /usr/bin/python3 "$0" "$1"' "$here/$script" "$program" "$here/../../tools/xdisplay.sh"
