#!/usr/bin/env bash
# Builds and runs every benchmark, then prints each ratio against its target.
#   bench/run.sh [build-dir]        default: build-bench in the repository
# Environment: PF_BENCH_RUNS (process runs per side for the window switch,
# default 31), PF_BENCH_STARTS (start-ups per side for the first frame, default
# 301), PF_BENCH_SETTLED_RUNS (runs per side for the settled memory, default 9),
# PF_BENCH_SOAK_CYCLES (cycles of the long session, default 800).
# A ratio over its target is reported, not failed: the exit status is non-zero
# only when a benchmark could not run at all.
set -uo pipefail

repo=$(cd "$(dirname "$0")/.." && pwd)
build=$(realpath -m "${1:-$repo/build-bench}")
runs=${PF_BENCH_RUNS:-31}
starts=${PF_BENCH_STARTS:-301}
settled_runs=${PF_BENCH_SETTLED_RUNS:-9}
soak_cycles=${PF_BENCH_SOAK_CYCLES:-800}
results=$build/bench-results
failed=()

configure=(-DPF_BUILD_BENCH=ON)
[ -f "$build/CMakeCache.txt" ] || configure+=(-DCMAKE_BUILD_TYPE=Release)
cmake -S "$repo" -B "$build" "${configure[@]}" >/dev/null || exit 1
build_type=$(sed -n 's/^CMAKE_BUILD_TYPE:[A-Z]*=//p' "$build/CMakeCache.txt")
[ "$build_type" = Release ] || echo "warning: $build is a '$build_type' build; measure a Release build" >&2
targets=(startup_program startup_bare switch_bench launch)
grep -q '^benchmark_DIR:PATH=/' "$build/CMakeCache.txt" && targets+=(calc_bench)
grep -q '^X11_Xtst_LIB:FILEPATH=/' "$build/CMakeCache.txt" && targets+=(soak)
cmake --build "$build" -j"$(nproc)" --target "${targets[@]}" || exit 1
bin=$build/bench
mkdir -p "$results"
: >"$results/summary.txt"

# One X server for every run.
source "$repo/tools/xdisplay.sh"
tmp=$(mktemp -d)
cleanup() {
    stop_display
    rm -rf "$tmp"
}
trap cleanup EXIT
command -v Xvfb >/dev/null && start_display "$tmp" -screen 0 1280x1024x24
if [ -s "$tmp/display" ]; then
    export QT_QPA_PLATFORM=xcb XDG_RUNTIME_DIR=$tmp/runtime
    mkdir -m 700 "$XDG_RUNTIME_DIR"
    have_x=1
else
    echo "Xvfb did not start (install xvfb): window benchmarks skipped" >&2
    have_x=0
fi

# Runs one benchmark, its output in the logs; false if it could not run.
run() {
    local name=$1
    shift
    echo "== $name" >&2
    if ! "$@" >"$results/$name.txt" 2>"$results/$name.err"; then
        echo "$name could not run; see $results/$name.err" >&2
        failed+=("$name")
        return 1
    fi
}

# Its RESULT lines: "RESULT name measured floor unit ratio target" (target 0: reported only).
results_of() { grep -h '^RESULT ' "$@" >>"$results/summary.txt"; }

if [ -x "$bin/calc_bench" ]; then
    # Separate processes: where the stack and the libraries land moves these
    # nanosecond timings by up to 2x, so each row is the median of three.
    for i in 1 2 3; do
        run "calc.$i" "$bin/calc_bench"
    done
    cat "$results"/calc.[123].txt | grep '^RESULT ' | awk '
        { n[$2]++; m[$2, n[$2]] = $3; f[$2, n[$2]] = $4; r[$2, n[$2]] = $6; unit[$2] = $5; target[$2] = $7
          if (n[$2] == 1) order[++rows] = $2 }
        function median(a, k, c,   i, j, t, v) {
            for (i = 1; i <= c; i++) v[i] = a[k, i]
            for (i = 1; i <= c; i++) for (j = i + 1; j <= c; j++) if (v[j] < v[i]) { t = v[i]; v[i] = v[j]; v[j] = t }
            return c % 2 ? v[(c + 1) / 2] : (v[c / 2] + v[c / 2 + 1]) / 2
        }
        END { for (i = 1; i <= rows; i++) { k = order[i]; c = n[k]
                  printf "RESULT %s %.1f %.1f %s %.2f %s\n", k, median(m, k, c), median(f, k, c), unit[k], median(r, k, c), target[k] } }' \
        >>"$results/summary.txt"
else
    echo "calc_bench not built (install libbenchmark-dev)" >&2
    failed+=(calc)
fi

if [ "$have_x" = 1 ]; then
    # The first frame: a start-up takes a few tens of milliseconds and varies by
    # as much again with the machine, so many short runs, each ending at its
    # first frame. The settled memory: fewer runs, each left to itself for 2 s.
    run startup env PF_BENCH_FIRST_FRAME=1 "$bin/launch" "$starts" startup firstpaint=1.10 \
        -- "$bin/startup_program" --vs "$bin/startup_bare" && results_of "$results/startup.txt"
    run settled "$bin/launch" "$settled_runs" settled settledrss=1.15 \
        -- "$bin/startup_program" --vs "$bin/startup_bare" && results_of "$results/settled.txt"
    run switch "$bin/launch" "$runs" switch cold=1.25 \
        -- "$bin/switch_bench" program 5 --vs "$bin/switch_bench" bare 5 && results_of "$results/switch.txt"

    # Instructions from process start to the first frame: repeatable where times are not.
    if command -v valgrind >/dev/null; then
        echo "== startup instructions" >&2
        declare -A ir=()
        for p in startup_program startup_bare; do
            rm -f "$results/callgrind.$p"*
            PF_BENCH_FIRST_FRAME=1 valgrind --tool=callgrind --dump-before='bench::FirstFrame*' \
                --callgrind-out-file="$results/callgrind.$p" "$bin/$p" >/dev/null 2>"$results/callgrind.$p.err"
            ir[$p]=$(sed -n 's/^summary: //p' "$results/callgrind.$p.1" 2>/dev/null)
        done
        if [ -n "${ir[startup_program]}" ] && [ -n "${ir[startup_bare]}" ]; then
            awk -v a="${ir[startup_program]}" -v b="${ir[startup_bare]}" \
                'BEGIN { printf "RESULT startup/instructions %.1f %.1f MIr %.2f 0\n", a / 1e6, b / 1e6, a / b }' \
                >>"$results/summary.txt"
        else
            echo "callgrind run failed; see $results/callgrind.*.err" >&2
            failed+=(callgrind)
        fi
    else
        echo "valgrind not installed: start-up instruction counts skipped" >&2
    fi

    # Memory over a long session, last: the window manager that activates the
    # windows stays until the end.
    if [ ! -x "$bin/soak" ]; then
        echo "soak not built (install libxtst-dev)" >&2
        failed+=(soak)
    elif ! command -v openbox >/dev/null || ! start_openbox "$tmp"; then
        echo "openbox did not start: soak skipped" >&2
        failed+=(soak)
    elif run soak "$bin/soak" "$soak_cycles"; then
        results_of "$results/soak.txt"
        grep -v '^RESULT ' "$results/soak.txt"
    fi
else
    failed+=(startup settled switch soak)
fi

echo
awk 'BEGIN {
         printf "%-28s %12s %12s %5s %7s %7s  %s\n", "benchmark", "program", "floor", "unit", "ratio", "target", ""
     }
     {
         verdict = $7 > 0 ? ($6 <= $7 ? "within" : "OVER") : "(reported)"
         target = $7 > 0 ? sprintf("%.2f", $7) : "-"
         printf "%-28s %12s %12s %5s %7.2f %7s  %s\n", $2, $3, $4, $5, $6, target, verdict
     }' "$results/summary.txt"
echo
echo "Logs: $results"
if [ ${#failed[@]} -gt 0 ]; then
    echo "Could not run: ${failed[*]}" >&2
    exit 1
fi
exit 0
