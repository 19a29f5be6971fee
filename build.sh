#!/usr/bin/env bash
# Installs what is missing (Debian 12 or 13), builds, and runs the program or the tests.
#   ./build.sh run     build and start the program
#   ./build.sh test    build and run the whole test suite
#   ./build.sh bench   build and run the benchmarks
#   ./build.sh loop [RUNS]   build, and run every desktop and screen-reader test
#                            RUNS times (20) while both cores are kept busy
#   ./build.sh windows       cross-build the Windows zip and installer, signed
#                            when PF_SIGN_PKCS12 names a certificate
#                            (packaging/windows/sign.sh)
#   ./build.sh windows-test  the same, then test them under Wine
#   ./build.sh windows-bench the Windows start-up under Wine, static against shared Qt
set -euo pipefail
cd "$(dirname "$0")"

BUILD_PACKAGES=(cmake make g++ pkg-config qt6-base-dev qt6-svg-dev qt6-translations-l10n libgl-dev)
# The exact reference of the tests, and clang's libFuzzer for the fuzz run.
REFERENCE_PACKAGES=(libmpfr-dev clang libclang-rt-dev)
# Google Benchmark for the calculation, valgrind for start-up instruction counts,
# XTest for the long session's clicks.
BENCH_PACKAGES=(libbenchmark-dev valgrind libxtst-dev)
# Xvfb, the window managers (openbox, Xfce's, GNOME's and KDE's with its usual
# Breeze title bars) and X input for the real program on a desktop, AT-SPI for
# the screen-reader tests and Orca speaking through speech-dispatcher and
# espeak-ng; the package tools (dpkg-shlibdeps runs on what `file` finds),
# Debian's package checker and its check of the program's hardening
# (devscripts), git for the package's second build from a clone; clang-format
# for the sources' format; fontTools for a stand-in SimSun; fcitx5 with its
# pinyin engine, its full-width mode and its Qt 6 module for typing through a
# Chinese input method.
TEST_PACKAGES=(xvfb openbox xfwm4 mutter kwin-x11 kwin-style-breeze x11-utils wmctrl xdotool python3-pyatspi
               at-spi2-core dbus-daemon dbus-bin orca speech-dispatcher speech-dispatcher-espeak-ng espeak-ng
               dpkg-dev file lintian devscripts desktop-file-utils appstream git clang-format python3-fonttools
               fcitx5 fcitx5-chinese-addons fcitx5-frontend-qt6 fcitx5-module-fullwidth)
# MinGW-w64, Qt's source package and its build tools, the icon, the installers
# and their signatures.
WINDOWS_PACKAGES=(g++-mingw-w64-x86-64-posix ninja-build dpkg-dev xz-utils imagemagick nsis zip wixl msitools python3
                  osslsigncode)
# Wine on a private X display with a window manager, driven and photographed;
# a stand-in SimSun made from AR PL UMing with fontTools.
WINDOWS_TEST_PACKAGES=(wine64 xvfb openbox wmctrl xdotool x11-utils xclip imagemagick
                       python3-fonttools fonts-arphic-uming)

install_packages() {
    local missing=()
    for p in "$@"; do
        dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "ok installed" || missing+=("$p")
    done
    [ ${#missing[@]} -eq 0 ] && return 0
    # Through env, so that the variable reaches apt-get past sudo.
    local apt=(env DEBIAN_FRONTEND=noninteractive apt-get)
    [ "$(id -u)" -ne 0 ] && apt=(sudo "${apt[@]}")
    # Another apt-get on the machine is waited for rather than failed on.
    "${apt[@]}" -o DPkg::Lock::Timeout=600 update -qq
    "${apt[@]}" -o DPkg::Lock::Timeout=600 install -y -qq --no-install-recommends "${missing[@]}"
}

build() {
    local dir=$1
    shift
    cmake -S . -B "$dir" -DCMAKE_BUILD_TYPE=Release "$@"
    cmake --build "$dir" -j"$(nproc)"
}

werror=()
[ -n "${CI:-}" ] && werror=(-DPF_WERROR=ON)

# The Windows build is made and tested with Debian 12's MinGW, Qt source and Wine.
windows_host() {
    local codename
    codename=$(. /etc/os-release && echo "${VERSION_CODENAME:-}")
    [ "$codename" = bookworm ] && return 0
    echo "$0: the Windows build is made on Debian 12 (bookworm) only, not on ${codename:-this system}" >&2
    exit 1
}

# Qt for Windows (the static build, or the shared one; built once into a
# cache), the picture tool for this machine, then the program for Windows in
# the build folder DIR: build_windows DIR static|shared [CMAKE-OPTION...]
build_windows() {
    local dir=$1 qt
    qt=$(nice -n 5 packaging/windows/build-qt.sh "$2")
    shift 2
    cmake -S . -B build-win/host -DCMAKE_BUILD_TYPE=Release -DPF_BUILD_TESTS=OFF -DPF_BUILD_BENCH=OFF
    cmake --build build-win/host -j"$(nproc)" --target picture_compiler layout_facts
    # A build folder configured with another Qt starts anew.
    if [ -f "$dir/CMakeCache.txt" ] && ! grep -qF "Qt6_DIR:PATH=$qt/" "$dir/CMakeCache.txt"; then
        rm -rf "$dir"
    fi
    "$qt/bin/qt-cmake" -S . -B "$dir" -G Ninja -DCMAKE_BUILD_TYPE=Release \
        -DQT_CHAINLOAD_TOOLCHAIN_FILE="$PWD/cmake/mingw-w64-x86_64.cmake" \
        -DPF_PICTURE_COMPILER="$PWD/build-win/host/assets/picture_compiler" \
        -DPF_LAYOUT_FACTS="$PWD/build-win/host/tools/layout_facts" "${werror[@]}" "$@"
    cmake --build "$dir" -j"$(nproc)"
}

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
    # The package's checks and the fuzzing run beside the suites: the desktop tests,
    # one at a time, mostly wait on their desktop, and are made to pass while both
    # cores are busy (tests/desktop/loop.sh).
    side=$(mktemp)
    { packaging/test-package.sh build && fuzz/run.sh 20; } > "$side" 2>&1 &
    side_pid=$!
    trap 'kill "$side_pid" 2> /dev/null || true; rm -f "$side"' EXIT
    status=0
    ctest --test-dir build --output-on-failure -j"$(nproc)" || status=1
    tests/sanitizers/run.sh . build-asan -j"$(nproc)" || status=1
    wait "$side_pid" || status=1
    cat "$side"
    exit "$status"
    ;;
loop)
    install_packages "${BUILD_PACKAGES[@]}" "${REFERENCE_PACKAGES[@]}" "${TEST_PACKAGES[@]}" stress-ng
    build build -DPF_BUILD_TESTS=ON -DPF_BUILD_BENCH=OFF "${werror[@]}"
    PF_LAYOUT_FACTS=$PWD/build/layout_facts.sh tests/desktop/loop.sh build/ui/pressforce "${2:-20}" \
        "desktop.py speech.py input_method.py" "openbox xfwm4 mutter kwin_x11"
    ;;
bench)
    install_packages "${BUILD_PACKAGES[@]}" "${REFERENCE_PACKAGES[@]}" "${TEST_PACKAGES[@]}" "${BENCH_PACKAGES[@]}"
    build build -DPF_BUILD_BENCH=ON "${werror[@]}"
    bench/run.sh build
    ;;
windows)
    windows_host
    install_packages "${BUILD_PACKAGES[@]}" "${WINDOWS_PACKAGES[@]}"
    build_windows build-win/target static -DPF_BUILD_TESTS=OFF -DPF_BUILD_BENCH=OFF
    cmake --build build-win/target --target windows_packages
    ;;
windows-test)
    windows_host
    install_packages "${BUILD_PACKAGES[@]}" "${WINDOWS_PACKAGES[@]}" "${WINDOWS_TEST_PACKAGES[@]}"
    # ctest runs the cross-compiled tests through Wine.
    build_windows build-win/target static -DPF_BUILD_TESTS=ON -DPF_BUILD_BENCH=OFF \
        -DCMAKE_CROSSCOMPILING_EMULATOR="$PWD/packaging/windows/wine-run.sh"
    env -u PF_SIGN_PKCS12 cmake --build build-win/target --target windows_packages
    # Then signed by a certificate made for the test, which the second build and the Wine tests sign with too.
    signing=$PWD/build-win/target/test-signing
    export PF_SIGN_PKCS12=$signing/signer.p12 PF_SIGN_PASSWORD_FILE=$signing/password PF_SIGN_CA=$signing/ca.pem \
        PF_SIGN_TIMESTAMP=
    packaging/windows/test-signing.sh build-win/target
    packaging/test-reproducible.sh build-win/target
    packaging/windows/test-wine.sh build-win/target
    ;;
windows-bench)
    windows_host
    install_packages "${BUILD_PACKAGES[@]}" "${WINDOWS_PACKAGES[@]}" "${WINDOWS_TEST_PACKAGES[@]}"
    for variant in static shared; do
        build_windows "build-win/bench-$variant" "$variant" -DPF_BUILD_TESTS=OFF -DPF_BUILD_BENCH=ON
    done
    bench/wine_startup.sh build-win/bench-static build-win/bench-shared
    ;;
*)
    echo "usage: $0 run|test|loop|bench|windows|windows-test|windows-bench" >&2
    exit 2
    ;;
esac
