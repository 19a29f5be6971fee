#!/usr/bin/env bash
# Runs a driver script against PROGRAM as a person meets it on a desktop: a
# private X display with a real window manager, a private D-Bus session, and
# Qt's AT-SPI bridge on.
#   tests/desktop/run.sh SCRIPT PROGRAM [WM]    WM: openbox (default), xfwm4,
#                                             mutter or kwin_x11
# PF_CASES, if set, names the script's cases to run (its own by default, and
# with PF_ONCE set those that need to run under one window manager only).
# PF_LAYOUT_FACTS names the build's layout_facts.sh; unset, it is that of the
# build tree PROGRAM lies in.
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
usage="usage: run.sh SCRIPT PROGRAM [openbox|xfwm4|mutter|kwin_x11]"
script=${1:?$usage}
program=${2:?$usage}
wm=${3:-openbox}

missing=()
for tool in dbus-run-session dbus-update-activation-environment Xvfb "$wm" xmessage xdotool wmctrl flock \
    /usr/libexec/at-spi-bus-launcher /usr/libexec/at-spi2-registryd; do
    command -v "$tool" > /dev/null || missing+=("$tool")
done
/usr/bin/python3 -c 'import pyatspi' 2> /dev/null || missing+=("python3-pyatspi")
if [ ${#missing[@]} -gt 0 ]; then
    echo "desktop: missing ${missing[*]} (Debian: dbus-daemon, xvfb, openbox, xfwm4, mutter, kwin-x11, x11-utils, xdotool, wmctrl, at-spi2-core, python3-pyatspi)" >&2
    exit 1
fi
[ -x "$program" ] || { echo "desktop: no program at $program" >&2; exit 1; }
if [ -z "${PF_LAYOUT_FACTS:-}" ]; then
    tree=$(dirname "$(realpath "$program")")
    while [ "$tree" != / ] && [ ! -f "$tree/CMakeCache.txt" ]; do tree=$(dirname "$tree"); done
    export PF_LAYOUT_FACTS=${tree%/}/layout_facts.sh
fi
[ -s "$PF_LAYOUT_FACTS" ] ||
    { echo "desktop: no layout_facts.sh at '$PF_LAYOUT_FACTS': set PF_LAYOUT_FACTS, or build the program's tree" >&2; exit 1; }

runtime=$(mktemp -d)
# Services the bus started (xfconfd) may still be writing there as they end.
trap 'rm -rf "$runtime" 2> /dev/null || { sleep 1; rm -rf "$runtime"; } || true' EXIT
# Nothing from the caller's desktop: our own bus, display and accessibility bus.
unset DBUS_SESSION_BUS_ADDRESS AT_SPI_BUS_ADDRESS DISPLAY WAYLAND_DISPLAY QT_QPA_PLATFORM
export XDG_RUNTIME_DIR=$runtime HOME=$runtime
export QT_LINUX_ACCESSIBILITY_ALWAYS_ON=1
# A display of its own; the window manager runs first and both stop with the
# script.
dbus-run-session -- bash -c '
    source "$2"
    trap stop_display EXIT
    source "$PF_LAYOUT_FACTS"  # SCREEN, the screen the windows are placed on
    start_display "$XDG_RUNTIME_DIR" -screen 0 "${SCREEN}x24" || exit 1
    start_wm "$XDG_RUNTIME_DIR" "$3" || exit 1
    /usr/bin/python3 "$0" "$1" ${PF_CASES:-} && exit 0
    status=$?
    echo "$3 log:" >&2
    cat "$XDG_RUNTIME_DIR/$3.log" >&2
    display_log "$XDG_RUNTIME_DIR"
    exit $status' "$here/$script" "$program" "$here/../../tools/xdisplay.sh" "$wm"
