#!/usr/bin/env bash
# Runs desktop tests again and again while both cores are kept busy, as on a
# loaded CI machine, and counts the passes: a measurement, not a test.
#   tests/desktop/loop.sh PROGRAM RUNS "SCRIPT..." "WM..." [CASE...]
# WM "wine" runs the Windows PROGRAM.exe under Wine with openbox, driven by
# tests/desktop/wine.py (SCRIPT is then ignored). For example:
#   tests/desktop/loop.sh build/ui/pressforce 20 "desktop.py speech.py" "openbox xfwm4" typing_at_once
#   tests/desktop/loop.sh build-win/target/pressforce-1.0.0-win64.exe 20 - wine typing_at_once
# Needs stress-ng (Debian: stress-ng), what run.sh or test-wine.sh needs, and PF_LAYOUT_FACTS.
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
program=$(realpath "${1:?usage: loop.sh PROGRAM RUNS SCRIPTS WMS [CASE...]}")
runs=${2:?} scripts=${3:?} wms=${4:?}
shift 4
logs=$(mktemp -d)
# PF_LOOP_STRESS=0 when another loop on the machine already keeps both cores busy.
workers=${PF_LOOP_STRESS:-2}
if [ "$workers" -gt 0 ]; then
    stress-ng --cpu "$workers" --quiet &
    trap "kill $! 2> /dev/null || true" EXIT
fi

# One run of the Wine driver on a display of its own, in a prefix of its own.
wine_run() {
    local runtime
    runtime=$(mktemp -d)
    WINEPREFIX=$runtime/prefix WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml=" LANG=C.UTF-8 bash -c '
        source "$1"
        trap "wineserver -k 2> /dev/null; stop_display" EXIT
        source "$PF_LAYOUT_FACTS"  # the screen at 150 %, as test-wine.sh has it
        start_display "$2" -screen 0 "$((${SCREEN%x*} * 3 / 2))x$((${SCREEN#*x} * 3 / 2))x24" &&
            start_openbox "$2" || exit 1
        /usr/lib/wine/wine64 wineboot --init > /dev/null 2>&1
        /usr/bin/python3 "$3" "$4" "${@:5}"' _ "$here/../../tools/xdisplay.sh" "$runtime" \
        "$here/wine.py" "$program" "$@"
    local status=$?
    rm -rf "$runtime"
    return $status
}

[ "$wms" = wine ] && scripts=wine.py
# What does not depend on the window manager runs under the first only, as in the suite:
# a script that says so, and a script's cases that PF_ONCE adds.
first=${wms%% *} tests=()
for script in $scripts; do
    for wm in $wms; do
        [ "$wm" != "$first" ] && grep -q "^# Under one window manager:" "$here/$script" || tests+=("$script $wm")
    done
done
# Round after round, so that a loop cut short has counted every test alike.
declare -A passed
for ((i = 1; i <= runs; i++)); do
    for test in "${tests[@]}"; do
        read -r script wm <<< "$test"
        log=$logs/${script%.py}-$wm-$i.log
        if if [ "$wm" = wine ]; then wine_run "$@"; else PF_CASES="$*" PF_ONCE=$([ "$wm" = "$first" ] && echo 1) "$here/run.sh" "$script" "$program" "$wm"; fi > "$log" 2>&1; then
            passed[$test]=$((${passed[$test]:-0} + 1))
        else
            echo "loop: $script under $wm, run $i failed: $(grep -m1 FAILED "$log" || tail -n1 "$log")"
        fi
    done
    for test in "${tests[@]}"; do
        echo "loop: ${test% *} under ${test#* }: ${passed[$test]:-0} of $i passed"
    done
done
echo "loop: logs in $logs"
