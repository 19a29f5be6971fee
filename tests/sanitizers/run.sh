#!/usr/bin/env bash
# Builds the whole test suite with AddressSanitizer and UndefinedBehaviorSanitizer
# in a build directory of its own and runs it there. A memory error, a leak or
# undefined behaviour fails the test that shows it.
#   tests/sanitizers/run.sh SRC_DIR BUILD_DIR [ctest arguments...]
set -euo pipefail

if [ $# -lt 2 ]; then
    echo "usage: $0 SRC_DIR BUILD_DIR [ctest arguments...]" >&2
    exit 2
fi
src=$(cd "$1" && pwd)
build=$2
shift 2
here="$src/tests/sanitizers"

# Memory errors do not depend on the window manager: the desktop tests run under one.
cmake -S "$src" -B "$build" -DPF_SANITIZE=ON -DCMAKE_BUILD_TYPE=RelWithDebInfo -DPF_BUILD_BENCH=OFF \
    -DPF_WINDOW_MANAGERS=openbox
cmake --build "$build" -j"$(nproc)"

# The Release run checks the full case counts; here a sample of them is enough
# to catch memory errors and undefined behaviour on every path.
export PF_REFERENCE_SCALE=${PF_REFERENCE_SCALE:-0.05}
export PF_MONKEY_ACTIONS=${PF_MONKEY_ACTIONS:-2000}

# The first error ends the process, so its report is the end of the test's output.
# Children inherit these: the AT-SPI test's program runs sanitized as well.
export ASAN_OPTIONS="detect_leaks=1:halt_on_error=1:detect_stack_use_after_return=1:check_initialization_order=1:strict_init_order=1"
export LSAN_OPTIONS="suppressions=$here/lsan.supp:print_suppressions=0"
export UBSAN_OPTIONS="print_stacktrace=1:halt_on_error=1:suppressions=$here/ubsan.supp"
ctest --test-dir "$build" --output-on-failure "$@"
