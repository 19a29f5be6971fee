#!/usr/bin/env bash
# Builds Qt for 64-bit Windows from Debian's own qt6-base source package, with
# Debian's installed Qt as the host tools, and prints the install prefix.
# The result is cached outside the repository and reused while the source
# version, these settings and the toolchain file are unchanged.
#   packaging/windows/build-qt.sh          build if needed, print the prefix
set -euo pipefail
repo=$(cd "$(dirname "$0")/../.." && pwd)
toolchain=$repo/cmake/mingw-w64-x86_64.cmake

# The same Qt as the Linux build's host tools.
version=$(dpkg-query -W -f='${Version}' qt6-base-dev)

settings=(
    -G Ninja
    -DCMAKE_BUILD_TYPE=Release
    -DQT_HOST_PATH=/usr
    -DQT_HOST_PATH_CMAKE_DIR=/usr/lib/x86_64-linux-gnu/cmake
    -DQT_BUILD_EXAMPLES=OFF -DQT_BUILD_TESTS=OFF -DQT_BUILD_BENCHMARKS=OFF
    -DBUILD_SHARED_LIBS=ON
    # Core, Gui, Widgets and Test only.
    -DFEATURE_network=OFF -DFEATURE_sql=OFF -DFEATURE_xml=OFF -DFEATURE_dbus=OFF
    -DFEATURE_concurrent=OFF -DFEATURE_printsupport=OFF -DFEATURE_openglwidgets=OFF
    -DFEATURE_vulkan=OFF -DFEATURE_testlib=ON -DFEATURE_widgets=ON
    # The Windows platform plugin of 6.4 needs OpenGL; Debian's source package
    # leaves out the Windows tablet header.
    -DFEATURE_opengl=ON -DFEATURE_tabletevent=OFF
    # Qt's bundled third-party libraries.
    -DFEATURE_system_zlib=OFF -DFEATURE_system_png=OFF -DFEATURE_system_jpeg=OFF
    -DFEATURE_system_pcre2=OFF -DFEATURE_system_harfbuzz=OFF -DFEATURE_system_freetype=OFF
    -DFEATURE_freetype=ON -DFEATURE_harfbuzz=ON -DFEATURE_jpeg=OFF -DFEATURE_gif=OFF
)
hash=$({ printf '%s\n' "$version" "${settings[@]}"; cat "$toolchain"; } | sha256sum | cut -c1-12)
cache=${PF_CACHE:-${XDG_CACHE_HOME:-$HOME/.cache}/pressforce}
prefix=$cache/qt-${version//[^A-Za-z0-9.]/_}-$hash

if [ -f "$prefix/.complete" ]; then
    echo "$prefix"
    exit 0
fi

sudo=()
[ "$(id -u)" -ne 0 ] && sudo=(sudo)
# apt-get source needs a deb-src entry.
if ! apt-get source --print-uris -qq "qt6-base=$version" >/dev/null 2>&1; then
    "${sudo[@]}" tee /etc/apt/sources.list.d/pressforce-src.sources >/dev/null <<SRC
Types: deb-src
URIs: http://deb.debian.org/debian
Suites: bookworm bookworm-updates
Components: main
Signed-By: /usr/share/keyrings/debian-archive-keyring.gpg
SRC
    "${sudo[@]}" apt-get update -qq
fi

work=$cache/qt-work-$hash
mkdir -p "$work"
cd "$work"
src=$(find . -maxdepth 1 -type d -name 'qt6-base-*' | head -n1)
if [ -z "$src" ]; then
    apt-get source -qq "qt6-base=$version" >&2
    src=$(find . -maxdepth 1 -type d -name 'qt6-base-*' | head -n1)
fi

start=$(date +%s)
cmake -S "$src" -B build -DCMAKE_INSTALL_PREFIX="$prefix" -DCMAKE_TOOLCHAIN_FILE="$toolchain" "${settings[@]}" >&2
cmake --build build -j"$(nproc)" >&2
cmake --install build >&2
touch "$prefix/.complete"
echo "Qt for Windows built in $(($(date +%s) - start)) s" >&2
cd /
rm -rf "$work"
echo "$prefix"
