# A private X display for the scripts that run the program on one; sourced.
#   start_display DIR [XVFB-OPTION...]  Xvfb on a display it picks itself; exports
#                                      DISPLAY once the server is ready
#   start_openbox DIR                  openbox, once it manages the screen
#   stop_display                       stops what these started, last first
# DIR keeps the logs, shown when a start fails. Needs xvfb, and openbox and
# x11-utils for start_openbox.
display_pids=()

start_display() {
    local dir=$1
    shift
    Xvfb -displayfd 3 -nolisten tcp "$@" 3> "$dir/display" 2> "$dir/xvfb.log" &
    display_pids+=($!)
    for _ in $(seq 300); do
        [ -s "$dir/display" ] && break
        sleep 0.1
    done
    if ! [ -s "$dir/display" ]; then
        echo "Xvfb did not start" >&2
        cat "$dir/xvfb.log" >&2
        return 1
    fi
    export DISPLAY=:$(head -n1 "$dir/display")
}

start_openbox() {
    local dir=$1
    openbox --sm-disable > "$dir/openbox.log" 2>&1 &
    display_pids+=($!)
    for _ in $(seq 300); do
        xprop -root _NET_SUPPORTING_WM_CHECK 2> /dev/null | grep -q "window id" && return 0
        sleep 0.1
    done
    echo "openbox did not start on $DISPLAY" >&2
    cat "$dir/openbox.log" >&2
    return 1
}

stop_display() {
    local i
    for ((i = ${#display_pids[@]} - 1; i >= 0; i--)); do
        kill "${display_pids[$i]}" 2> /dev/null && wait "${display_pids[$i]}" 2> /dev/null || true
    done
    display_pids=()
}
