#!/usr/bin/env bash
# Makes the README's screenshots from the real program: runs it on a private X
# server under openbox, drives it with xdotool as a user would, and captures
# the screen with ImageMagick. Run it again whenever the windows change.
#   tools/screenshots.sh [BUILD_DIR]     default: build; writes docs/screenshots/*.png
# Needs (Debian): cmake, xvfb, openbox, xdotool, imagemagick, and a Chinese
# font for openbox's title bars (fonts-wqy-microhei).
set -euo pipefail
repo=$(cd "$(dirname "$0")/.." && pwd)
build=${1:-$repo/build}
out=$repo/docs/screenshots

missing=()
for tool in cmake Xvfb openbox xdotool import convert fc-list; do
    command -v "$tool" > /dev/null || missing+=("$tool")
done
[ ${#missing[@]} -eq 0 ] && [ -n "$(fc-list :lang=zh)" ] || {
    echo "screenshots: missing ${missing[*]:-a Chinese font} (Debian: cmake xvfb openbox xdotool imagemagick fonts-wqy-microhei)" >&2
    exit 1
}
[ -f "$build/CMakeCache.txt" ] || cmake -S "$repo" -B "$build" -DCMAKE_BUILD_TYPE=Release -DPF_BUILD_TESTS=OFF -DPF_BUILD_BENCH=OFF
cmake --build "$build" --target pressforce layout_facts_file > /dev/null
program=$build/ui/pressforce
# Titles, places and click points of the windows, written from their tables.
source "$build/layout_facts.sh"

source "$repo/tools/xdisplay.sh"
tmp=$(mktemp -d)
program_pid=
cleanup() {
    if [ -n "$program_pid" ]; then
        kill "$program_pid" 2> /dev/null && wait "$program_pid" 2> /dev/null || true
    fi
    stop_display
    rm -rf "$tmp"
}
trap cleanup EXIT

# A black desktop, so that a capture trimmed to what is not black holds just the windows.
start_display "$tmp" -screen 0 "${SCREEN}x24" -br
export XDG_RUNTIME_DIR=$tmp
unset WAYLAND_DISPLAY QT_QPA_PLATFORM QT_SCALE_FACTOR
start_openbox "$tmp"
"$program" > "$tmp/program.log" 2>&1 &
program_pid=$!

# The id of the shown window whose title is exactly $1, within 10 s. Titles
# are compared as getwindowname reads them: the pattern of search --name
# misses Chinese titles on some systems.
window() {
    local id
    for _ in $(seq 100); do
        for id in $(xdotool search --onlyvisible --name . 2> /dev/null); do
            [ "$(xdotool getwindowname "$id" 2> /dev/null)" = "$1" ] && {
                echo "$id"
                return
            }
        done
        sleep 0.1
    done
    echo "screenshots: no window \"$1\"" >&2
    cat "$tmp/program.log" >&2
    return 1
}
# Clicks at pixel ($2, $3) of window $1's client area (a point of layout_facts.sh, unquoted).
click() {
    xdotool mousemove --window "$1" "$2" "$3" click 1
    sleep 0.5
}
type_text() {
    xdotool type --delay 30 "$1"
    sleep 0.3
}
# Captures the screen into $out/$1.png, trimmed to the windows with a margin.
capture() {
    sleep 0.7
    import -window root "$tmp/screen.png"
    convert "$tmp/screen.png" -trim +repage -bordercolor black -border 12 -strip "$out/$1.png"
    echo "screenshots: $out/$1.png ($(identify -format '%w × %h' "$out/$1.png"))"
}

mkdir -p "$out"
menu=$(window "$MENU_TITLE")
capture main-menu

# Blanking force: L and t, τb read off the material sheet, then 计算.
click "$menu" $MENU_BLANKING
blanking=$(window "$BLANKING_TITLE")
type_text 120
xdotool key Tab
type_text 2
click "$blanking" $BLANKING_LOOKUP # the sheet opens beside the calculator
window "$SHEET_TITLE" > /dev/null
click "$blanking" $BLANKING_LOOKUP_FIELD # τb
type_text 350
click "$blanking" $BLANKING_CALCULATE
capture calculator-and-material-sheet

# A fault: a force beyond the single-precision range.
click "$blanking" $BLANKING_CLEAR
for value in 1e30 1e10 1e10; do
    type_text "$value"
    xdotool key Tab
done
click "$blanking" $BLANKING_CALCULATE
window "$REPORT_TITLE" > /dev/null
capture fault-message
