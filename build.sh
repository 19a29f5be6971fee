#!/usr/bin/env bash
# Installs what is missing (Debian 12), builds, and runs the program or the tests.
#   ./build.sh run     build and start the program
#   ./build.sh test    build and run the whole test suite
#   ./build.sh bench   build and run the benchmarks
set -euo pipefail
cd "$(dirname "$0")"

BUILD_PACKAGES=(cmake make g++ pkg-config qt6-base-dev qt6-svg-dev qt6-translations-l10n libgl-dev)
# The exact reference of the tests, and clang's libFuzzer for the fuzz run.
REFERENCE_PACKAGES=(libmpfr-dev clang libclang-rt-dev)
# Google Benchmark for the calculation, valgrind for start-up instruction counts.
BENCH_PACKAGES=(libbenchmark-dev valgrind)
# Xvfb, a window manager (openbox) and X input for the real program on a
# desktop, AT-SPI for the screen-reader tests; the package tools (dpkg-shlibdeps
# runs on what `file` finds) and Debian's package checker.
TEST_PACKAGES=(xvfb xauth openbox x11-utils wmctrl xdotool python3-pyatspi at-spi2-core dbus-daemon
               dpkg-dev file lintian desktop-file-utils appstream)

install_packages() {
    local missing=()
    for p in "$@"; do
        dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "ok installed" || missing+=("$p")
    done
    [ ${#missing[@]} -eq 0 ] && return 0
    # Through env, so that the variable reaches apt-get past sudo.
    local apt=(env DEBIAN_FRONTEND=noninteractive apt-get)
    [ "$(id -u)" -ne 0 ] && apt=(sudo "${apt[@]}")
    "${apt[@]}" update -qq
    "${apt[@]}" install -y -qq --no-install-recommends "${missing[@]}"
}

build() {
    local dir=$1
    shift
    cmake -S . -B "$dir" -DCMAKE_BUILD_TYPE=Release "$@"
    cmake --build "$dir" -j"$(nproc)"
}

werror=()
[ -n "${CI:-}" ] && werror=(-DPF_WERROR=ON)

case "${1:-}" in
run)
    install_packages "${BUILD_PACKAGES[@]}"
    cmake -S . -B build -DCMAKE_BUILD_TYPE=Release -DPF_BUILD_TESTS=OFF -DPF_BUILD_BENCH=OFF "${werror[@]}"
    cmake --build build -j"$(nproc)" --target pressforce
    exec build/ui/pressforce
    ;;
test)
    install_packages "${BUILD_PACKAGES[@]}" "${REFERENCE_PACKAGES[@]}" "${TEST_PACKAGES[@]}"
    build build -DPF_BUILD_TESTS=ON -DPF_BUILD_BENCH=OFF "${werror[@]}"
    ctest --test-dir build --output-on-failure
    tests/sanitizers/run.sh . build-asan
    packaging/test-package.sh build
    fuzz/run.sh 20
    ;;
bench)
    install_packages "${BUILD_PACKAGES[@]}" "${REFERENCE_PACKAGES[@]}" "${TEST_PACKAGES[@]}" "${BENCH_PACKAGES[@]}"
    build build -DPF_BUILD_BENCH=ON "${werror[@]}"
    bench/run.sh build
    ;;
*)
    echo "usage: $0 run|test|bench" >&2
    exit 2
    ;;
esac
