#!/usr/bin/env bash
# Builds Qt for 64-bit Windows from Debian's own qt6-base source package, with
# Debian's installed Qt as the host tools, and prints the install prefix.
# The result is cached outside the repository and reused while the source
# version, the variant's settings and the toolchain file are unchanged.
#   packaging/windows/build-qt.sh [static]  the static Qt the downloads link
#   packaging/windows/build-qt.sh shared    shared libraries, for comparison
set -euo pipefail
repo=$(cd "$(dirname "$0")/../.." && pwd)
toolchain=$repo/cmake/mingw-w64-x86_64.cmake
variant=${1:-static}

# The same Qt as the Linux build's host tools.
version=$(dpkg-query -W -f='${Version}' qt6-base-dev)
cache=${PF_CACHE:-${XDG_CACHE_HOME:-$HOME/.cache}/pressforce}

common=(
    -G Ninja
    -DCMAKE_BUILD_TYPE=Release
    -DQT_HOST_PATH=/usr
    -DQT_HOST_PATH_CMAKE_DIR=/usr/lib/x86_64-linux-gnu/cmake
    -DQT_BUILD_EXAMPLES=OFF -DQT_BUILD_TESTS=OFF -DQT_BUILD_BENCHMARKS=OFF
)
# Core, Gui, Widgets and Test only.
modules=(
    -DFEATURE_network=OFF -DFEATURE_sql=OFF -DFEATURE_xml=OFF -DFEATURE_dbus=OFF
    -DFEATURE_concurrent=OFF -DFEATURE_printsupport=OFF -DFEATURE_openglwidgets=OFF
    -DFEATURE_vulkan=OFF -DFEATURE_testlib=ON -DFEATURE_widgets=ON
    # The Windows platform plugin of 6.4 needs OpenGL; Debian's source package
    # leaves out the Windows tablet header.
    -DFEATURE_opengl=ON -DFEATURE_tabletevent=OFF
)
bundled=(-DFEATURE_system_zlib=OFF -DFEATURE_system_png=OFF -DFEATURE_system_jpeg=OFF
         -DFEATURE_system_pcre2=OFF -DFEATURE_system_harfbuzz=OFF -DFEATURE_system_freetype=OFF)
case $variant in
shared)
    settings=("${common[@]}" -DBUILD_SHARED_LIBS=ON "${modules[@]}" "${bundled[@]}"
              -DFEATURE_freetype=ON -DFEATURE_harfbuzz=ON -DFEATURE_jpeg=OFF -DFEATURE_gif=OFF)
    ;;
static)
    # Linked into the one program file: each function in its own section for
    # the linker's --gc-sections, and the build folder out of the objects.
    # Windows draws the fonts (no FreeType); the program's Fusion style needs
    # no native style plugin; no document formats the program never writes.
    settings=("${common[@]}" -DBUILD_SHARED_LIBS=OFF "${modules[@]}" "${bundled[@]}"
              "-DCMAKE_C_FLAGS=-ffunction-sections -fdata-sections -ffile-prefix-map=@WORK@/="
              "-DCMAKE_CXX_FLAGS=-ffunction-sections -fdata-sections -ffile-prefix-map=@WORK@/="
              -DFEATURE_freetype=OFF -DFEATURE_harfbuzz=ON -DFEATURE_jpeg=OFF -DFEATURE_gif=OFF
              -DFEATURE_style_windowsvista=OFF -DFEATURE_sessionmanager=OFF
              -DFEATURE_textmarkdownreader=OFF -DFEATURE_textmarkdownwriter=OFF -DFEATURE_textodfwriter=OFF)
    ;;
*)
    echo "usage: $0 [static|shared]" >&2
    exit 2
    ;;
esac
hash=$({ printf '%s\n' "$version" "${settings[@]}"; cat "$toolchain"; } | sha256sum | cut -c1-12)
prefix=$cache/qt-${version//[^A-Za-z0-9.]/_}-$hash
work=$cache/qt-work-$hash
settings=("${settings[@]//@WORK@/$work}")

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
echo "Qt for Windows ($variant) built in $(($(date +%s) - start)) s" >&2
cd /
rm -rf "$work"
echo "$prefix"
