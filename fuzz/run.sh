#!/usr/bin/env bash
# Builds the fuzz targets (if needed) and runs each one for the given number
# of seconds over a copy of its seed corpus. Fails if any target finds a crash,
# a sanitizer report or a property violation.
#   fuzz/run.sh [seconds]          default 60 s per target
# Environment: PF_FUZZ_BUILD_DIR (default <repo>/build-fuzz), PF_FUZZ_JOBS
# (targets run at once, default the number of cores), PF_FUZZ_ARGS (extra
# libFuzzer flags), PF_FUZZ_CC / PF_FUZZ_CXX (default clang / clang++).
set -euo pipefail

seconds=${1:-60}
here=$(cd "$(dirname "$0")" && pwd)
build=${PF_FUZZ_BUILD_DIR:-$(dirname "$here")/build-fuzz}
jobs=${PF_FUZZ_JOBS:-$(nproc)}
targets=(text_to_number blanking drawing bending)

if [ ! -f "$build/CMakeCache.txt" ]; then
    CC=${PF_FUZZ_CC:-clang} CXX=${PF_FUZZ_CXX:-clang++} cmake -S "$here" -B "$build" -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
fi
cmake --build "$build" -j"$(nproc)" >/dev/null

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

run_target() {
    local t=$1
    mkdir -p "$work/corpus-$t" "$work/artifacts-$t"
    cp "$here/corpus/$t/"* "$work/corpus-$t/"
    # shellcheck disable=SC2086
    "$build/fuzz_$t" -max_total_time="$seconds" -timeout=30 -print_final_stats=1 \
        -artifact_prefix="$work/artifacts-$t/" ${PF_FUZZ_ARGS:-} "$work/corpus-$t" >"$work/$t.log" 2>&1
}

pids=()
for t in "${targets[@]}"; do
    while [ "$(jobs -rp | wc -l)" -ge "$jobs" ]; do
        wait -n || true
    done
    run_target "$t" &
    pids+=("$!")
done

failed=0
summary=()
for i in "${!targets[@]}"; do
    t=${targets[$i]}
    status=ok
    wait "${pids[$i]}" || status=FAILED
    execs=$(sed -n 's/^stat::number_of_executed_units: *//p' "$work/$t.log" | tail -n1)
    if [ "$status" != ok ] || [ -z "$execs" ] || [ -n "$(ls -A "$work/artifacts-$t")" ]; then
        status=FAILED
        failed=1
        saved="$build/fuzz-failures/$t"
        rm -rf "$saved"
        mkdir -p "$saved"
        cp "$work/artifacts-$t/"* "$work/$t.log" "$saved/" 2>/dev/null || true
        echo "=== fuzz_$t failed; log and reproducer kept in $saved" >&2
        grep -E 'property violated|ERROR: |runtime error|terminate called|what\(\)|SUMMARY' "$work/$t.log" | head -n 20 >&2 || true
    fi
    summary+=("$(printf '  %-16s %-7s %12s executions in %s s' "fuzz_$t" "$status" "${execs:-?}" "$seconds")")
done

echo "fuzz summary:"
printf '%s\n' "${summary[@]}"
exit "$failed"
