# A private X display for the scripts that run the program on one; sourced.
#   start_display DIR [XVFB-OPTION...]  Xvfb on a display of its own; exports
#                                      DISPLAY once the server is ready
#   start_wm DIR [WM]                  a window manager (openbox, the default,
#                                      xfwm4, mutter or kwin_x11), once it
#                                      manages new windows
#   start_openbox DIR                  start_wm DIR openbox
#   stop_display                       stops what these started, last first
# DIR keeps the logs, shown when a start fails. Needs xvfb and util-linux, and
# x11-utils, wmctrl and the window manager for start_wm. kwin_x11 and mutter
# want a D-Bus session bus.
display_pids=()
display_lock=

# Each display number is claimed with a lock file that every process started
# here inherits, so a number is free again only once the last of them, the X
# server included, has ended. An X server that is ending can remove the socket
# of a new one on its number, which no client can then reach.
start_display() {
    local dir=$1 n pid
    shift
    for ((n = 0; n < 64; n++)); do
        exec {display_lock}> "/tmp/.pressforce-X$n.lock"
        if flock -n "$display_lock" && ! [ -e "/tmp/.X11-unix/X$n" ]; then
            : > "$dir/display"
            # No autorepeat (-r): a busy machine that delays a synthetic key's
            # release past the repeat delay would otherwise type it twice.
            # No reset (-noreset): a server resets when its last client leaves
            # and drops a client still connecting, so a window manager that
            # connects as the first probe leaves could not open the display.
            Xvfb ":$n" -displayfd 3 -nolisten tcp -r -noreset "$@" 3> "$dir/display" 2> "$dir/xvfb.log" &
            pid=$!
            for _ in $(seq 300); do
                [ -s "$dir/display" ] && break
                kill -0 "$pid" 2> /dev/null || break
                sleep 0.1
            done
            if [ -s "$dir/display" ]; then
                display_pids+=("$pid")
                export DISPLAY=:$n
                return 0
            fi
            # A server not started here took the number meanwhile, or Xvfb failed.
            kill "$pid" 2> /dev/null && wait "$pid" 2> /dev/null || true
        fi
        exec {display_lock}>&-
    done
    display_lock=
    echo "Xvfb did not start" >&2
    cat "$dir/xvfb.log" >&2
    return 1
}

start_wm() {
    local dir=$1 wm=${2:-openbox} command pid probe i status
    case $wm in
    openbox) command=(openbox --sm-disable) ;;
    xfwm4) command=(xfwm4 --compositor=off --sm-client-disable) ;;
    mutter) command=(mutter --x11 --replace --sm-disable) ;;
    kwin_x11) command=(kwin_x11 --replace) ;;
    *)
        echo "unknown window manager $wm (openbox, xfwm4, mutter, kwin_x11)" >&2
        return 1
        ;;
    esac
    for tool in "${command[0]}" wmctrl xmessage; do
        command -v "$tool" > /dev/null || {
            echo "start_wm: $tool is missing (Debian: ${command[0]/_/-}, wmctrl, x11-utils)" >&2
            return 1
        }
    done
    # The services a window manager has D-Bus start (xfconfd, kglobalaccel)
    # need the display too.
    if [ -n "${DBUS_SESSION_BUS_ADDRESS:-}" ]; then
        dbus-update-activation-environment DISPLAY XDG_RUNTIME_DIR HOME 2> /dev/null || true
    fi
    "${command[@]}" > "$dir/$wm.log" 2>&1 &
    pid=$!
    display_pids+=("$pid")
    # Window managers announce themselves at different points of their start;
    # ready is when one has taken a newly mapped window into its client list.
    # A window mapped while openbox starts can stay unmanaged: a new probe
    # every 2 s.
    probe=
    for i in $(seq 300); do
        kill -0 "$pid" 2> /dev/null || break
        if ((i % 20 == 1)); then
            [ -n "$probe" ] && { kill "$probe" 2> /dev/null && wait "$probe" 2> /dev/null || true; }
            xmessage -title pressforce-wm-probe probe >> "$dir/probe.log" 2>&1 &
            probe=$!
        fi
        if wmctrl -l 2> /dev/null | grep -q pressforce-wm-probe; then
            kill "$probe" 2> /dev/null && wait "$probe" 2> /dev/null || true
            for _ in $(seq 100); do
                wmctrl -l 2> /dev/null | grep -q pressforce-wm-probe || return 0
                sleep 0.1
            done
            break
        fi
        sleep 0.1
    done
    kill "$probe" 2> /dev/null && wait "$probe" 2> /dev/null || true
    if kill -0 "$pid" 2> /dev/null; then
        echo "$wm did not start on $DISPLAY" >&2
    else
        wait "$pid" && status=0 || status=$?
        echo "$wm ended with status $status while it started on $DISPLAY" >&2
    fi
    cat "$dir/$wm.log" "$dir/probe.log" >&2
    wmctrl -m >&2
    ls -la --time-style=full-iso /tmp/.X11-unix >&2
    display_log "$dir"
    return 1
}

# The X server's log, and whether it still runs; for a failure's report.
display_log() {
    local server=${display_pids[0]:-0} state=running # the server starts first
    kill -0 "$server" 2> /dev/null || state=gone
    echo "Xvfb on $DISPLAY (process $server, $state):" >&2
    cat "$1/xvfb.log" >&2
}

start_openbox() { start_wm "$1" openbox; }

# A window manager that does not end within 5 s of being asked is killed.
stop_display() {
    local i pid
    for ((i = ${#display_pids[@]} - 1; i >= 0; i--)); do
        pid=${display_pids[$i]}
        kill "$pid" 2> /dev/null || continue
        for _ in $(seq 50); do
            kill -0 "$pid" 2> /dev/null || break
            sleep 0.1
        done
        kill -KILL "$pid" 2> /dev/null || true
        wait "$pid" 2> /dev/null || true
    done
    display_pids=()
    if [ -n "$display_lock" ]; then
        exec {display_lock}>&-
        display_lock=
    fi
}
