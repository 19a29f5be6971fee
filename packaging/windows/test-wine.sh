#!/usr/bin/env bash
# Tests the Windows build in BUILD_DIR under Wine on a private X display:
#  1. the number, formula and offscreen window tests, cross-compiled, through ctest;
#  2. the installer installs silently (/S): program, Start-menu entry, uninstall key;
#  3. the installed program shows its main menu with its title at its place, opens
#     the blanking window, computes 100, 2, 300 into 78000 and ends on "关闭";
#     screenshots of both windows go to BUILD_DIR/wine-screens/;
#  4. the uninstaller removes it again silently;
#  5. the zip's program, unpacked elsewhere, shows its main menu.
#   packaging/windows/test-wine.sh BUILD_DIR
# Needs (Debian): wine64 xvfb xauth openbox xdotool x11-utils xclip imagemagick.
set -euo pipefail

build=$(cd "${1:?usage: test-wine.sh BUILD_DIR}" && pwd)
menu_title=冲压设备选用辅助工具试用版
blanking_title="冲裁力计算软件——Tamberlo制作  2012-3-16"
# The client areas' screen positions in pixels.
menu_at="764 99"
blanking_at="769 99"

fail() {
    echo "test-wine: FAILED: $*" >&2
    exit 1
}
step() { echo "test-wine: $*"; }

wine=$(command -v wine64 || echo /usr/lib/wine/wine64)
[ -x "$wine" ] || fail "wine64 is missing (Debian: wine64)"
for tool in Xvfb openbox xdotool xwininfo xclip import; do
    command -v "$tool" > /dev/null ||
        fail "$tool is missing (Debian: xvfb openbox xdotool x11-utils xclip imagemagick)"
done
setups=("$build"/pressforce-*-win64-setup.exe)
[ -f "${setups[0]}" ] || fail "no installer in $build: build the windows_packages target"
setup=${setups[0]}

export WINEPREFIX=$build/wine
export LANG=C.UTF-8 # window titles to X in UTF-8
export WINEDEBUG=-all
export WINEDLLOVERRIDES="mscoree,mshtml=" # no Mono or Gecko set-up prompts
screens=$build/wine-screens
rm -rf "$WINEPREFIX" "$screens"
mkdir -p "$screens"

source "$(dirname "$0")/../../tools/xdisplay.sh"
program=
cleanup() {
    [ -n "$program" ] && kill "$program" 2> /dev/null
    "${wine%/*}/wineserver" -k 2> /dev/null || wineserver -k 2> /dev/null || true
    stop_display
}
trap cleanup EXIT
start_display "$build" -screen 0 1600x1000x24 || fail "Xvfb did not start"
start_openbox "$build" || fail "openbox did not start"

step "preparing the Wine prefix"
"$wine" wineboot --init > /dev/null 2>&1 || fail "wineboot"

step "running the tests through ctest"
# The tests find the Windows Qt and the compiler's runtime on WINEPATH.
qt_bin=$(sed -n 's/^Qt6Core_DIR:PATH=\(.*\)\/lib\/cmake\/Qt6Core$/\1\/bin/p' "$build/CMakeCache.txt")
[ -d "$qt_bin" ] || fail "the Windows Qt of $build was not found"
runtime=$(dirname "$(x86_64-w64-mingw32-g++-posix -print-file-name=libstdc++-6.dll)")
pthread=$(dirname "$(x86_64-w64-mingw32-g++-posix -print-file-name=libwinpthread-1.dll)")
WINEPATH="Z:${qt_bin//\//\\};Z:${runtime//\//\\};Z:${pthread//\//\\}" \
    ctest --test-dir "$build" --output-on-failure -L 'calc|gui' || fail "ctest under Wine"

step "installing $(basename "$setup") silently"
"$wine" "$setup" /S || fail "the installer failed"
c=$WINEPREFIX/drive_c
installed=$c/Program\ Files/pressforce
for f in pressforce.exe uninstall.exe Qt6Core.dll Qt6Gui.dll Qt6Widgets.dll platforms/qwindows.dll \
    libstdc++-6.dll libgcc_s_seh-1.dll libwinpthread-1.dll; do
    [ -s "$installed/$f" ] || fail "$f is not installed"
done
[ -s "$c/ProgramData/Microsoft/Windows/Start Menu/Programs/冲压力计算.lnk" ] || fail "no Start-menu entry"
key='HKLM\Software\Microsoft\Windows\CurrentVersion\Uninstall\pressforce'
"$wine" reg query "$key" /v UninstallString 2> /dev/null | grep -qF 'Program Files\pressforce\uninstall.exe' ||
    fail "no uninstall entry in the list of programs"

# The program file's version information names the program and the version.
version=$(basename "$setup" | sed 's/^pressforce-\(.*\)-win64-setup\.exe$/\1/')
/usr/bin/python3 - "$installed/pressforce.exe" "$version" << 'PY' || fail "pressforce.exe lacks its version information"
import sys
data = open(sys.argv[1], "rb").read()
for text in ("VS_VERSION_INFO", "冲压力计算", "FileVersion", sys.argv[2]):
    assert text.encode("utf-16-le") in data, text
PY

# window_at TITLE: waits for the window and prints its id.
window_at() {
    local id
    for _ in $(seq 300); do
        if id=$(xdotool search --onlyvisible --name "^$1\$" 2> /dev/null | head -n1) && [ -n "$id" ]; then
            echo "$id"
            return 0
        fi
        kill -0 "$program" 2> /dev/null || fail "the program ended early"
        sleep 0.1
    done
    fail "no window \"$1\" within 30 s"
}
# check_place ID "X Y": the client area's screen position.
check_place() {
    local at
    at=$(xwininfo -id "$1" | awk '/Absolute upper-left X/ {x = $NF} /Absolute upper-left Y/ {y = $NF} END {print x, y}')
    [ "$at" = "$2" ] || fail "window $1 is at $at, not at $2"
}
# shot ID NAME: the window with its frame and some desktop around it.
shot() {
    sleep 1 # the first paint
    read -r x y w h < <(xwininfo -id "$1" | awk '/Absolute upper-left X/ {x = $NF} /Absolute upper-left Y/ {y = $NF}
        /Width:/ {w = $NF} /Height:/ {h = $NF} END {print x, y, w, h}')
    import -window root -crop "$((w + 60))x$((h + 80))+$((x - 30))+$((y - 50))" "$screens/$2.png"
    step "screenshot $screens/$2.png"
}
# click ID X Y: a click at a client-area pixel.
click() {
    xdotool mousemove --window "$1" "$2" "$3" click 1
    sleep 0.5
}

step "starting the installed program"
(cd "$installed" && exec "$wine" "C:\\Program Files\\pressforce\\pressforce.exe") > /dev/null 2>&1 &
program=$!
menu=$(window_at "$menu_title")
check_place "$menu" "$menu_at"
step "the main menu window \"$menu_title\" is shown at $menu_at"
shot "$menu" menu

# "冲裁力计算" (Command2: 1616, 248 twips, 1220 × 510) opens the blanking window.
click "$menu" 148 33
blanking=$(window_at "$blanking_title")
check_place "$blanking" "$blanking_at"
step "the blanking window is shown at $blanking_at"
xdotool windowactivate --sync "$blanking" > /dev/null 2>&1 || true
xdotool type --delay 50 100
xdotool key Tab
xdotool type --delay 50 2
xdotool key Tab
xdotool type --delay 50 300
click "$blanking" 56 344 # "计算" (Command1: 360, 4920 twips)
click "$blanking" 220 261 # the result field Text5 (2520, 3720 twips)
xdotool key ctrl+a ctrl+c
sleep 0.5
result=$(xclip -o -selection clipboard 2> /dev/null || true)
shot "$blanking" blanking
[ "$result" = 78000 ] || fail "100, 2, 300 gave \"$result\", not 78000"
step "100, 2, 300 gave 78000"

click "$blanking" 368 344 # "关闭" (Command3: 5040, 4920 twips) ends the program
for _ in $(seq 100); do kill -0 "$program" 2> /dev/null || break; sleep 0.1; done
! kill -0 "$program" 2> /dev/null || fail "the program did not end on \"关闭\""
program=

step "uninstalling silently"
# The uninstaller runs from a copy of itself and returns at once.
"$wine" "$installed/uninstall.exe" /S || fail "the uninstaller failed"
for _ in $(seq 300); do [ -e "$installed" ] || break; sleep 0.1; done
[ ! -e "$installed" ] || fail "the uninstaller left $(ls "$installed" | tr '\n' ' ')"
! "$wine" reg query "$key" > /dev/null 2>&1 || fail "the uninstall entry remains"

zip=${setup%-setup.exe}.zip
step "starting the program from $(basename "$zip") unpacked into a folder of another name"
portable="$c/users/Public/便携 程序"
mkdir -p "$portable"
(cd "$portable" && cmake -E tar xf "$zip")
exe=("$portable"/pressforce-*-win64/pressforce.exe)
[ -f "${exe[0]}" ] || fail "the zip holds no pressforce-*-win64/pressforce.exe"
"$wine" "${exe[0]}" > /dev/null 2>&1 &
program=$!
menu=$(window_at "$menu_title")
check_place "$menu" "$menu_at"
kill "$program"
wait "$program" 2> /dev/null || true
program=

step "all checks passed"
