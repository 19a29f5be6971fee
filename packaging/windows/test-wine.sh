#!/usr/bin/env bash
# Tests the Windows build in BUILD_DIR under Wine on a private X display:
#  1. the number, formula and window tests, cross-compiled, through ctest, on
#     the Windows platform;
#  2. the installer installs silently (/S): the program file, its licence texts,
#     the Start-menu entry, the uninstall key; an uninstaller signed by the
#     CA PF_SIGN_CA if set (test-signing.sh);
#  3. the installed program used as a person does (tests/desktop/wine.py): after each
#     "查询" the calculator active and a digit typed at once in its look-up
#     field; the Tab order, Enter and Space; a fault's message box, after which
#     the program goes on; one browser per click on the link; every window at
#     its place, at 96 and at 144 dpi; screenshots go to BUILD_DIR/wine-screens/;
#  4. the uninstaller removes it again silently;
#  5. the Windows Installer package, and upgrades with both installers
#     (test-installers.sh);
#  6. the portable program file, and the zip's, each run from another folder,
#     shows its menu and computes, and writes nothing beside itself;
#  7. with a stand-in SimSun installed in the prefix (AR PL UMing renamed by
#     tools/standin_font.py), the windows' face test again, and screenshots
#     in that face (BUILD_DIR/wine-screens/simsun/).
#   packaging/windows/test-wine.sh BUILD_DIR
# Needs (Debian): wine64 xvfb openbox wmctrl xdotool x11-utils xclip imagemagick
# python3-fonttools fonts-arphic-uming.
set -euo pipefail

build=$(cd "${1:?usage: test-wine.sh BUILD_DIR}" && pwd)
here=$(cd "$(dirname "$0")" && pwd)

fail() {
    echo "test-wine: FAILED: $*" >&2
    exit 1
}
step() { echo "test-wine: $*"; }

wine=$(command -v wine64 || echo /usr/lib/wine/wine64)
[ -x "$wine" ] || fail "wine64 is missing (Debian: wine64)"
for tool in Xvfb openbox wmctrl xdotool xwininfo xclip import; do
    command -v "$tool" > /dev/null ||
        fail "$tool is missing (Debian: xvfb openbox wmctrl xdotool x11-utils xclip imagemagick)"
done
setups=("$build"/pressforce-*-win64-setup.exe)
[ -f "${setups[0]}" ] || fail "no installer in $build: build the windows_packages target"
setup=${setups[0]}
# Titles, places and click points of the windows, written from their tables.
export PF_LAYOUT_FACTS=$build/layout_facts.sh
[ -s "$PF_LAYOUT_FACTS" ] || fail "no layout_facts.sh in $build: build the layout_facts_file target"

export WINEPREFIX=$build/wine
export LANG=C.UTF-8 # window titles to X in UTF-8
export WINEDEBUG=-all
export WINEDLLOVERRIDES="mscoree,mshtml=" # no Mono or Gecko set-up prompts
screens=$build/wine-screens
rm -rf "$WINEPREFIX" "$screens"
mkdir -p "$screens"

source "$here/../../tools/xdisplay.sh"
cleanup() {
    "${wine%/*}/wineserver" -k 2> /dev/null || wineserver -k 2> /dev/null || true
    stop_display
}
trap cleanup EXIT
# The screen the windows are laid out for, at 150 %: room for them at 144 dpi too.
source "$PF_LAYOUT_FACTS"
start_display "$build" -screen 0 "$((${SCREEN%x*} * 3 / 2))x$((${SCREEN#*x} * 3 / 2))x24" || fail "Xvfb did not start"
start_openbox "$build" || fail "openbox did not start"

step "preparing the Wine prefix"
"$wine" wineboot --init > /dev/null 2>&1 || fail "wineboot"

step "running the tests through ctest"
ctest --test-dir "$build" --output-on-failure -L 'calc|gui' || fail "ctest under Wine"

step "installing $(basename "$setup") silently"
"$wine" "$setup" /S || fail "the installer failed"
c=$WINEPREFIX/drive_c
installed=$c/Program\ Files/pressforce
# The one program file, its licence texts and the uninstaller: nothing else.
expected=$(cd "$build/packaging/windows/stage"/pressforce-*-win64 && find . -type f | sort)
actual=$(cd "$installed" && find . -type f ! -name uninstall.exe | sort)
[ "$actual" = "$expected" ] || fail "installed: $(echo $actual), expected: $(echo $expected)"
[ -s "$installed/uninstall.exe" ] || fail "no uninstaller"
[ -z "${PF_SIGN_CA:-}" ] || osslsigncode verify -CAfile "$PF_SIGN_CA" -in "$installed/uninstall.exe" |
    grep "^Signature verification: ok" | sed "s/^/test-wine: uninstall.exe: /" ||
    fail "uninstall.exe is not signed by $PF_SIGN_CA"
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

# Its protections: address space layout randomisation (a relocatable image,
# anywhere in the 64-bit space), DEP, and stack canaries whose runtime
# (libssp, which reports "stack smashing detected") is linked in.
step "checking the protections of pressforce.exe"
headers=$(x86_64-w64-mingw32-objdump -p "$installed/pressforce.exe") || fail "x86_64-w64-mingw32-objdump -p"
for flag in DYNAMIC_BASE HIGH_ENTROPY_VA NX_COMPAT; do
    grep -qE "^\s+$flag\$" <<< "$headers" || fail "pressforce.exe lacks the DLL characteristic $flag"
done
grep -qaF "stack smashing detected" "$installed/pressforce.exe" || fail "pressforce.exe has no stack protector"
! grep -qi "DLL Name: libssp" <<< "$headers" || fail "pressforce.exe needs libssp's DLL beside it"

step "using the installed program (tests/desktop/wine.py)"
WINE64=$wine PF_SCREENS=$screens /usr/bin/python3 "$here/../../tests/desktop/wine.py" "$installed/pressforce.exe" ||
    fail "the installed program"

step "uninstalling silently"
# The uninstaller runs from a copy of itself and returns at once.
"$wine" "$installed/uninstall.exe" /S || fail "the uninstaller failed"
for _ in $(seq 300); do [ -e "$installed" ] || break; sleep 0.1; done
[ ! -e "$installed" ] || fail "the uninstaller left $(ls "$installed" | tr '\n' ' ')"
! "$wine" reg query "$key" > /dev/null 2>&1 || fail "the uninstall entry remains"

step "the Windows Installer package, and upgrades (packaging/windows/test-installers.sh)"
WINE64=$wine "$here/test-installers.sh" "$build" || fail "the installers"

# The portable file alone, and the same unpacked from the zip, each run from a
# folder of another name; neither writes anything beside itself.
portable_run() {
    local folder=$1 exe=$2 before
    before=$(cd "$folder" && find . | sort)
    WINE64=$wine /usr/bin/python3 "$here/../../tests/desktop/wine.py" "$exe" computes_and_reports_a_fault || fail "$exe"
    [ "$(cd "$folder" && find . | sort)" = "$before" ] || fail "$exe wrote into $folder"
}
single=${setup%-setup.exe}.exe
step "starting $(basename "$single") from a folder of another name"
portable="$c/users/Public/便携 程序"
mkdir -p "$portable"
cp "$single" "$portable/"
portable_run "$portable" "$portable/$(basename "$single")"

zip=${setup%-setup.exe}.zip
step "starting the program of $(basename "$zip") unpacked into a folder of another name"
unpacked="$c/users/Public/解压 后"
mkdir -p "$unpacked"
(cd "$unpacked" && cmake -E tar xf "$zip")
exe=("$unpacked"/pressforce-*-win64/pressforce.exe)
[ -f "${exe[0]}" ] || fail "the zip holds no pressforce-*-win64/pressforce.exe"
cmp -s "${exe[0]}" "$single" || fail "the zip's pressforce.exe is not $(basename "$single")"
[ -s "${exe[0]%/*}/LICENSES/LGPL-3.0.txt" ] || fail "the zip holds no LICENSES/"
portable_run "$unpacked" "${exe[0]}"

# A system with 宋体: the font registered as Windows registers it, under the
# family names SimSun and 宋体.
step "installing a stand-in SimSun in the Wine prefix"
uming=/usr/share/fonts/truetype/arphic/uming.ttc
[ -f "$uming" ] || fail "$uming is missing (Debian: fonts-arphic-uming)"
/usr/bin/python3 "$here/../../tools/standin_font.py" "$uming" "$c/windows/Fonts/simsun.ttf" ||
    fail "the stand-in SimSun (Debian: python3-fonttools)"
"$wine" reg add 'HKLM\Software\Microsoft\Windows NT\CurrentVersion\Fonts' /v 'SimSun (TrueType)' \
    /d simsun.ttf /f > /dev/null 2>&1 || fail "registering the stand-in SimSun"
step "the windows' face with SimSun, through ctest"
PF_SYSTEM_SONG=SimSun,宋体 ctest --test-dir "$build" --output-on-failure -R '^tst_fonts$' ||
    fail "the windows' face with SimSun"
mkdir -p "$screens/simsun"
WINE64=$wine PF_SCREENS=$screens/simsun /usr/bin/python3 "$here/../../tests/desktop/wine.py" "$single" computes_and_reports_a_fault ||
    fail "the program with SimSun"

step "all checks passed"
