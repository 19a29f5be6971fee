#!/usr/bin/env bash
# The Windows program's start-up under Wine: process start to the main menu's
# first frame (startup_program, PF_BENCH_FIRST_FRAME), the one-file program on
# static Qt against the same program on Qt's shared libraries, alternately in
# one run, on a private X display with openbox. Prints the medians and their
# ratio against its target (at most 1: no slower than the shared build).
#   bench/wine_startup.sh STATIC_BUILD SHARED_BUILD [RUNS]   (default 21 a side)
# ./build.sh windows-bench makes both builds and runs this.
set -euo pipefail
static=$(cd "${1:?usage: wine_startup.sh STATIC_BUILD SHARED_BUILD [RUNS]}" && pwd)
shared=$(cd "${2:?usage: wine_startup.sh STATIC_BUILD SHARED_BUILD [RUNS]}" && pwd)
runs=${3:-21}
here=$(cd "$(dirname "$0")" && pwd)

wine=$(command -v wine64 || echo /usr/lib/wine/wine64)
export WINEPREFIX=$shared/wine-bench WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
# The shared build finds Qt's libraries and the compiler's runtime on WINEPATH.
qt_bin=$(sed -n 's/^Qt6Core_DIR:PATH=\(.*\)\/lib\/cmake\/Qt6Core$/\1\/bin/p' "$shared/CMakeCache.txt")
runtime=$(dirname "$(x86_64-w64-mingw32-g++-posix -print-file-name=libstdc++-6.dll)")
pthread=$(dirname "$(x86_64-w64-mingw32-g++-posix -print-file-name=libwinpthread-1.dll)")
export WINEPATH="Z:${qt_bin//\//\\};Z:${runtime//\//\\};Z:${pthread//\//\\}"

source "$here/../tools/xdisplay.sh"
log=$(mktemp -d)
cleanup() {
    "${wine%/*}/wineserver" -k 2> /dev/null || true
    stop_display
    rm -rf "$log"
}
trap cleanup EXIT
# The screen the windows' places are laid out for.
source "$static/layout_facts.sh"
start_display "$log" -screen 0 "${SCREEN}x24"
start_openbox "$log"
# One Wine server for all the runs, as on a desktop where Wine is running.
mkdir -p "$WINEPREFIX"
"${wine%/*}/wineserver" -p
"$wine" wineboot --init > /dev/null 2>&1

WINE=$wine RUNS=$runs /usr/bin/python3 - "$static/startup_program.exe" "$shared/startup_program.exe" << 'PY'
import os, statistics, subprocess, sys, time

def first_frame(exe):
    """Seconds from the process start to its first frame's report."""
    env = dict(os.environ, PF_BENCH_FIRST_FRAME="1")
    start = time.monotonic()
    process = subprocess.Popen([os.environ["WINE"], exe], stdout=subprocess.PIPE, text=True, env=env)
    line = process.stdout.readline()
    elapsed = time.monotonic() - start
    process.wait(timeout=60)
    if not line.startswith("firstpaint"):
        sys.exit(f"{exe} reported no first frame (exit code {process.returncode})")
    return elapsed

sides = {"static": sys.argv[1], "shared": sys.argv[2]}
for exe in sides.values():  # the first start of each file warms Wine's caches
    first_frame(exe)
times = {name: [] for name in sides}
for _ in range(int(os.environ["RUNS"])):
    for name, exe in sides.items():
        times[name].append(first_frame(exe))
median = {name: statistics.median(values) for name, values in times.items()}
ratio = median["static"] / median["shared"]
print(f"RESULT wine/firstpaint {median['static'] * 1e3:.0f} {median['shared'] * 1e3:.0f} ms "
      f"{ratio:.2f} (target <= 1.00: {'met' if ratio <= 1 else 'MISSED'})")
PY
