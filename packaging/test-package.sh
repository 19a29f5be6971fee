#!/usr/bin/env bash
# Builds the Debian package in BUILD_DIR, checks that a second build from a
# clone elsewhere gives the same bytes (test-reproducible.sh), checks it with
# lintian (an error or a warning fails), installs it, checks where its files
# landed, checks the installed program's hardening (the protections Debian
# builds its programs with, no RUNPATH), validates the desktop entry and the
# AppStream metadata, asks the installed program its version without a
# display, and starts it on a private X display until its main menu shows.
# Removes the package again unless it was installed before.
#   packaging/test-package.sh BUILD_DIR
# Needs (Debian): cmake, g++, git, binutils, dpkg-dev, devscripts, file, lintian, desktop-file-utils, appstream, xvfb,
# util-linux, xdotool.
set -euo pipefail

build=$(cd "${1:?usage: test-package.sh BUILD_DIR}" && pwd)
id=example.tamberlo.pressforce
sudo=()
[ "$(id -u)" -ne 0 ] && sudo=(sudo)

fail() {
    echo "test-package: FAILED: $*" >&2
    exit 1
}
step() { echo "test-package: $*"; }

for tool in cpack c++ git objdump readelf dpkg-shlibdeps hardening-check file lintian desktop-file-validate appstreamcli \
    Xvfb flock xdotool; do
    command -v "$tool" > /dev/null ||
        fail "$tool is missing (Debian: cmake g++ git binutils dpkg-dev devscripts file lintian desktop-file-utils" \
            "appstream xvfb util-linux xdotool)"
done
[ -f "$build/CPackConfig.cmake" ] || fail "$build has no CPack configuration: is packaging/ part of the build?"

step "building the package"
cmake --build "$build" -j"$(nproc)" > /dev/null
# The main menu's title and the screen, written from the window tables.
source "$build/layout_facts.sh"
rm -f "$build"/pressforce_*.deb
(cd "$build" && cpack -G DEB > /dev/null) || fail "cpack"
debs=("$build"/pressforce_*.deb)
[ ${#debs[@]} -eq 1 ] && [ -f "${debs[0]}" ] || fail "expected one pressforce_*.deb in $build, found: ${debs[*]}"
deb=${debs[0]}
step "built $(basename "$deb")"
"$(dirname "$0")"/test-reproducible.sh "$build" || fail "the package is not reproducible"

depends=$(dpkg-deb --field "$deb" Depends)
step "Depends: $depends"
names=$(tr ',|' '\n\n' <<< "$depends" | sed 's/^ *//; s/[ :(].*//')
# Each library the program links must be named by the package that holds it on
# this system, whatever this release calls that package (libqt6core6,
# libqt6core6t64, ...).
unpacked=$(mktemp -d)
dpkg-deb -x "$deb" "$unpacked"
needed=$(objdump -p "$unpacked/usr/bin/pressforce" | awk '$1 == "NEEDED" { print $2 }')
rm -rf "$unpacked"
for lib in libQt6Core.so.6 libQt6Gui.so.6 libQt6Widgets.so.6 libc.so.6 libstdc++.so.6; do
    grep -qxF "$lib" <<< "$needed" || fail "the program does not link $lib"
done
multiarch=$(dpkg-architecture -qDEB_HOST_MULTIARCH)
for lib in $needed; do
    owner=$(dpkg-query -S "*/$multiarch/$lib" 2> /dev/null | sed -n '1s/^\([^:,]*\).*/\1/p')
    [ -n "$owner" ] || fail "no installed package holds $lib"
    grep -qxF "$owner" <<< "$names" || fail "Depends lacks $owner, which holds $lib"
done
# The pictures are compiled at build time: the program reads no SVG.
! grep -qxF libQt6Svg.so.6 <<< "$needed" || fail "the program links libQt6Svg.so.6; it reads no SVG"
[[ "$depends" != *fonts-* ]] || fail "Depends names a font package; the font is built in"

# Documents, looked for in the package: a system may keep dpkg from installing them.
contents=$(dpkg-deb --contents "$deb")
for f in /usr/share/doc/pressforce/copyright /usr/share/doc/pressforce/changelog.Debian.gz \
    /usr/share/man/man1/pressforce.1.gz /usr/share/man/zh_CN/man1/pressforce.1.gz; do
    grep -qE "^-.* \.$f\$" <<< "$contents" || fail "the package lacks $f"
done

step "lintian"
# Informational tags are shown too. The package's overrides
# (/usr/share/lintian/overrides/pressforce) say why each is there.
lintian --display-info --fail-on error,warning "$deb" || fail "lintian reports an error or a warning"

installed_before=false
dpkg-query -W -f='${Status}' pressforce 2> /dev/null | grep -q "ok installed" && installed_before=true
cleanup() {
    if ! $installed_before && dpkg-query -W -f='${Status}' pressforce 2> /dev/null | grep -q "ok installed"; then
        "${sudo[@]}" env DEBIAN_FRONTEND=noninteractive apt-get remove -y -qq pressforce > /dev/null || true
    fi
}
trap cleanup EXIT

step "installing it"
"${sudo[@]}" env DEBIAN_FRONTEND=noninteractive apt-get install -y -qq --reinstall "$deb" > /dev/null

files=(
    /usr/bin/pressforce
    /usr/share/applications/$id.desktop
    /usr/share/metainfo/$id.metainfo.xml
    /usr/share/icons/hicolor/64x64/apps/$id.png
    /usr/share/icons/hicolor/scalable/apps/$id.svg
)
listed=$(dpkg -L pressforce)
for f in "${files[@]}"; do
    [ -s "$f" ] || fail "$f is missing or empty"
    grep -qx "$f" <<< "$listed" || fail "$f is not listed as a file of the package"
done
[ -x /usr/bin/pressforce ] || fail "/usr/bin/pressforce is not executable"
# A PNG's header holds its width and height as big-endian words at byte 16.
read -r -a size <<< "$(od -An -tu1 -j16 -N8 /usr/share/icons/hicolor/64x64/apps/$id.png)"
[ "${size[*]}" = "0 0 0 64 0 0 0 64" ] || fail "the PNG icon is not 64 × 64 (header: ${size[*]})"

step "checking the hardening of /usr/bin/pressforce"
report=$(hardening-check /usr/bin/pressforce) || true
echo "$report"
verdict() { sed -n "s/^ *$1: //p" <<< "$report"; }
for check in "Position Independent Executable" "Stack protected" "Fortify Source functions" \
    "Read-only relocations" "Immediate binding"; do
    [[ "$(verdict "$check")" == yes* ]] || fail "hardening-check: $check: $(verdict "$check")"
done
# Stack clash protection shows only as the probe of a stack frame larger than
# a page; a program without such a frame reads "unknown", never "no".
[[ "$(verdict "Stack clash protection")" == @(yes|unknown)* ]] ||
    fail "hardening-check: Stack clash protection: $(verdict "Stack clash protection")"
# The linker marks a program as protected only if every object in it is,
# the C library's start files too. Where this release's are not (Debian 12),
# the program's own code must still carry the branch targets' marks
# (endbr64), beyond the few of those start files.
cfi=$(verdict "Control flow integrity")
if [[ "$cfi" != yes* ]]; then
    start_files=() unmarked=()
    for f in Scrt1.o crti.o crtbeginS.o crtendS.o crtn.o; do
        start_files+=("$(c++ -print-file-name=$f)")
        [[ "$(readelf -n "${start_files[-1]}")" == *"x86 feature: IBT, SHSTK"* ]] || unmarked+=("$f")
    done
    [ ${#unmarked[@]} -gt 0 ] || fail "hardening-check: Control flow integrity: $cfi"
    marks=$(objdump -d /usr/bin/pressforce | grep -c endbr64 || true)
    start_marks=$(objdump -d "${start_files[@]}" | grep -c endbr64 || true)
    [ "$marks" -gt "$start_marks" ] || fail "the program's code has no control-flow protection (-fcf-protection)"
    step "control-flow protection: $marks branch targets marked; not marked on this release: ${unmarked[*]}"
fi
for program in /usr/bin/pressforce "$build/ui/pressforce"; do
    ! readelf -dW "$program" | grep -E '\((RPATH|RUNPATH)\)' || fail "$program has a library search path"
done

step "validating the desktop entry and the metadata"
desktop-file-validate /usr/share/applications/$id.desktop || fail "desktop-file-validate"
appstreamcli validate --no-net /usr/share/metainfo/$id.metainfo.xml || fail "appstreamcli validate"

step "asking /usr/bin/pressforce its version without a display"
version=$(env -u DISPLAY -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM /usr/bin/pressforce --version | head -n1)
[ "$version" = "pressforce $(dpkg-deb --field "$deb" Version | sed 's/-[^-]*$//')" ] ||
    fail "pressforce --version printed \"$version\""

step "starting /usr/bin/pressforce"
# The installed program alone: no build tree, no test platform; on a display of
# its own, as the desktop tests that may run meanwhile have theirs.
xdisplay=$(cd "$(dirname "$0")/.." && pwd)/tools/xdisplay.sh
(
    cd /
    source "$xdisplay"
    logs=$(mktemp -d)
    trap 'kill "$pid" 2> /dev/null; stop_display; rm -rf "$logs"' EXIT
    start_display "$logs" -screen 0 "${SCREEN}x24" || exit 1
    env -u QT_QPA_PLATFORM -u QT_SCALE_FACTOR /usr/bin/pressforce & pid=$!
    # Titles compared as getwindowname reads them (_NET_WM_NAME): the
    # pattern of search --name misses Chinese titles on some systems.
    for _ in $(seq 150); do
        for window in $(xdotool search --onlyvisible --name . 2> /dev/null); do
            [ "$(xdotool getwindowname "$window" 2> /dev/null)" = "$MENU_TITLE" ] || continue
            echo "test-package: the main menu window $window is shown"
            exit 0
        done
        kill -0 "$pid" 2> /dev/null || { echo "test-package: the program ended early" >&2; exit 1; }
        sleep 0.1
    done
    echo "test-package: no window \"$MENU_TITLE\" within 15 s" >&2
    exit 1
) || fail "the installed program did not show its main menu"

step "all checks passed"
