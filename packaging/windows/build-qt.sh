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
# What the static program never uses but would still link: the accessibility
# factory and the style sheet style reach every widget class, and the metatype
# table reaches regular expressions. Latin and Chinese need no shaping engine.
unused=(
    -DFEATURE_harfbuzz=OFF -DFEATURE_regularexpression=OFF -DFEATURE_mimetype=OFF -DFEATURE_itemmodel=OFF
    -DFEATURE_timezone=OFF -DFEATURE_jalalicalendar=OFF -DFEATURE_islamiccivilcalendar=OFF -DFEATURE_gestures=OFF
    -DFEATURE_cssparser=OFF -DFEATURE_texthtmlparser=OFF -DFEATURE_pdf=OFF -DFEATURE_movie=OFF -DFEATURE_picture=OFF
    -DFEATURE_imageformat_ppm=OFF -DFEATURE_imageformat_xbm=OFF -DFEATURE_systemtrayicon=OFF -DFEATURE_whatsthis=OFF
    -DFEATURE_undocommand=OFF -DFEATURE_undostack=OFF -DFEATURE_undogroup=OFF -DFEATURE_style_windows=OFF
    -DFEATURE_itemviews=OFF -DFEATURE_graphicsview=OFF -DFEATURE_mdiarea=OFF -DFEATURE_mainwindow=OFF
    -DFEATURE_menubar=OFF -DFEATURE_textedit=OFF -DFEATURE_calendarwidget=OFF -DFEATURE_datetimeedit=OFF
    -DFEATURE_colordialog=OFF -DFEATURE_filedialog=OFF -DFEATURE_fontdialog=OFF -DFEATURE_progressdialog=OFF
    -DFEATURE_inputdialog=OFF -DFEATURE_errormessage=OFF -DFEATURE_wizard=OFF -DFEATURE_splashscreen=OFF
    -DFEATURE_lcdnumber=OFF -DFEATURE_dial=OFF -DFEATURE_keysequenceedit=OFF -DFEATURE_toolbox=OFF
    -DFEATURE_tabwidget=OFF -DFEATURE_tabbar=OFF -DFEATURE_splitter=OFF -DFEATURE_scroller=OFF
    -DFEATURE_statusbar=OFF -DFEATURE_sizegrip=OFF -DFEATURE_spinbox=OFF -DFEATURE_commandlinkbutton=OFF
    -DFEATURE_radiobutton=OFF -DFEATURE_groupbox=OFF -DFEATURE_buttongroup=OFF -DFEATURE_stackedwidget=OFF
    -DFEATURE_progressbar=OFF -DFEATURE_rubberband=OFF -DFEATURE_formlayout=OFF -DFEATURE_combobox=OFF
    -DFEATURE_fontcombobox=OFF -DFEATURE_completer=OFF -DFEATURE_tooltip=OFF -DFEATURE_statustip=OFF
    -DFEATURE_effects=OFF -DFEATURE_filesystemwatcher=OFF -DFEATURE_datetimeparser=OFF -DFEATURE_ico=OFF
    # Painting into 16-bit and floating-point images, and the larger SHA-3.
    -DFEATURE_raster_64bit=OFF -DFEATURE_raster_fp=OFF -DFEATURE_sha3_fast=OFF
    # Qt 6.4 asks for PCRE2 even without regular expressions.
    -DCMAKE_DISABLE_FIND_PACKAGE_WrapPCRE2=ON
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
    # Relocatable: no folder of the building machine in the program.
    settings=("${common[@]}" -DBUILD_SHARED_LIBS=OFF -DFEATURE_relocatable=ON "${modules[@]}" "${bundled[@]}"
              "-DCMAKE_C_FLAGS=-ffunction-sections -fdata-sections -ffile-prefix-map=@WORK@/="
              "-DCMAKE_CXX_FLAGS=-ffunction-sections -fdata-sections -ffile-prefix-map=@WORK@/="
              -DFEATURE_freetype=OFF -DFEATURE_jpeg=OFF -DFEATURE_gif=OFF
              -DFEATURE_style_windowsvista=OFF -DFEATURE_sessionmanager=OFF
              -DFEATURE_textmarkdownreader=OFF -DFEATURE_textmarkdownwriter=OFF -DFEATURE_textodfwriter=OFF
              "${unused[@]}")
    ;;
*)
    echo "usage: $0 [static|shared]" >&2
    exit 2
    ;;
esac
# The changes to Qt's source that the static program needs (see the file).
patches=()
[ "$variant" = static ] && patches=("$repo/packaging/windows/qt-static.patch")
hash=$({ printf '%s\n' "$version" "${settings[@]}"; cat "$toolchain" "${patches[@]}"; } | sha256sum | cut -c1-12)
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
    for p in "${patches[@]}"; do
        patch -d "$src" -p1 --no-backup-if-mismatch < "$p" >&2
    done
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
