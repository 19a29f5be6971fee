#!/usr/bin/env bash
# Runs desktop tests again and again while both cores are kept busy, as on a
# loaded CI machine, and counts the passes: a measurement, not a test.
#   tests/desktop/loop.sh PROGRAM RUNS "SCRIPT..." "WM..." [CASE...]
# for example: tests/desktop/loop.sh build/ui/pressforce 20 "desktop.py speech.py" "openbox xfwm4" typing_at_once
# Needs stress-ng (Debian: stress-ng) and what run.sh needs; PF_LAYOUT_FACTS set.
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
program=$(realpath "${1:?usage: loop.sh PROGRAM RUNS SCRIPTS WMS [CASE...]}")
runs=${2:?} scripts=${3:?} wms=${4:?}
shift 4
logs=$(mktemp -d)
stress-ng --cpu 2 --quiet &
stress=$!
trap 'kill $stress 2> /dev/null || true' EXIT
for script in $scripts; do
    for wm in $wms; do
        passed=0
        for ((i = 1; i <= runs; i++)); do
            log=$logs/${script%.py}-$wm-$i.log
            if PF_CASES="$*" "$here/run.sh" "$script" "$program" "$wm" > "$log" 2>&1; then
                passed=$((passed + 1))
            else
                echo "loop: $script under $wm, run $i failed: $(grep -m1 FAILED "$log" || tail -n1 "$log")"
            fi
        done
        echo "loop: $script under $wm: $passed of $runs passed"
    done
done
echo "loop: logs in $logs"
