#!/usr/bin/env bash
# Tests the installers of the Windows build in BUILD_DIR under Wine, in the
# Wine prefix and on the X display test-wine.sh prepared (WINEPREFIX, DISPLAY):
#  1. the Windows Installer package installs silently (msiexec /i /qn): the
#     program file and its licence texts, one Start-menu entry, one entry in
#     the list of programs with its version, publisher and icon; the program
#     started from the Start-menu entry's target computes (tests/desktop/wine.py);
#     msiexec /x /qn removes it all;
#  2. upgrades, with the NSIS installer and with the MSI: this version, then
#     the next over it (the windows_upgrade_packages target: the same program
#     packaged as the next version, its files dated a day later): one program
#     file, the later one, one Start-menu entry, one entry in the list of
#     programs, of the later version; the same version again puts back a
#     missing program file and adds no entry; its removal leaves nothing.
#   packaging/windows/test-installers.sh BUILD_DIR
set -euo pipefail

build=$(cd "${1:?usage: test-installers.sh BUILD_DIR}" && pwd)
here=$(cd "$(dirname "$0")" && pwd)
wine=${WINE64:-/usr/lib/wine/wine64}
fail() {
    echo "test-installers: FAILED: $*" >&2
    exit 1
}
step() { echo "test-installers: $*"; }
[ -n "${WINEPREFIX:-}" ] && [ -n "${DISPLAY:-}" ] || fail "run by test-wine.sh (no WINEPREFIX or DISPLAY)"

name=冲压力计算
c=$WINEPREFIX/drive_c
installed=$c/Program\ Files/pressforce
stage=("$build/packaging/windows/stage"/pressforce-*-win64)
version=${stage[0]##*/pressforce-}
version=${version%-win64}
tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT

step "packaging the program again as the next version"
cmake --build "$build" --target windows_upgrade_packages > "$tmp/upgrade.log" 2>&1 ||
    { cat "$tmp/upgrade.log" >&2; fail "the windows_upgrade_packages target"; }
later_stage=("$build/packaging/windows/stage-upgrade"/pressforce-*-win64)
later=${later_stage[0]##*/pressforce-}
later=${later%-win64}

windows_path() { "$wine" winepath -w "$1" 2> /dev/null; }

# The program's Start-menu entries, the common one or the user's: Wine's
# Windows Installer puts a per-machine package's into the user's Start menu.
menu_entries() { find "$c" -path "*/Start Menu/Programs/*" -name "$name.lnk" | sort; }

# The entries of the list of programs named NAME: "KEY|VERSION|PUBLISHER|ICON"
# each, the icon being DisplayIcon, or an MSI product's ProductIcon.
entries() {
    local key='HKLM\Software\Microsoft\Windows\CurrentVersion\Uninstall'
    "$wine" reg export "$key" "$(windows_path "$tmp/uninstall.reg")" /y > /dev/null 2>&1 || fail "reg export $key"
    "$wine" reg export 'HKLM\Software\Classes\Installer\Products' "$(windows_path "$tmp/products.reg")" /y \
        > /dev/null 2>&1 || : > "$tmp/products.reg"
    /usr/bin/python3 - "$tmp/uninstall.reg" "$tmp/products.reg" "$name" << 'PY'
import re
import sys


def sections(path):
    try:
        text = open(path, encoding="utf-16").read()
    except (UnicodeError, OSError):
        return {}
    found = {}
    for head, body in re.findall(r"^\[([^\]]+)\]\n(.*?)(?=^\[|\Z)", text, re.M | re.S):
        found[head.rsplit("\\", 1)[-1]] = dict(re.findall(r'^"([^"]+)"="((?:[^"\\]|\\.)*)"$', body, re.M))
    return found


def packed(code):  # an MSI product code as the Installer\Products key names it
    parts = code.strip("{}").split("-")
    pairs = "".join(parts[3:])
    return parts[0][::-1] + parts[1][::-1] + parts[2][::-1] + "".join(pairs[i + 1] + pairs[i] for i in range(0, 16, 2))


products = sections(sys.argv[2])
for key, values in sections(sys.argv[1]).items():
    if values.get("DisplayName") == sys.argv[3]:
        icon = values.get("DisplayIcon") or products.get(packed(key), {}).get("ProductIcon", "")
        print("|".join([key, values.get("DisplayVersion", ""), values.get("Publisher", ""), icon]))
PY
}

# The program installed once: its files those of the folder FILES (with the
# file EXTRA beside them), its program file dated as FILES' one, one
# Start-menu entry and one entry of VERSION in the list of programs with its
# publisher and an icon that exists.
#   check_installed VERSION FILES EXTRA
check_installed() {
    local version=$1 files=$2 extra=$3 expected actual list icon
    expected=$(cd "$files" && find . -type f | sort)
    actual=$(cd "$installed" && find . -type f ! -name "$extra" | sort)
    [ "$actual" = "$expected" ] || fail "installed: $(echo $actual), expected: $(echo $expected)"
    # A cabinet keeps times to 2 seconds.
    [ $(($(stat -c %Y "$installed/pressforce.exe") / 2)) = $(($(stat -c %Y "$files/pressforce.exe") / 2)) ] ||
        fail "the installed pressforce.exe is not the one of $version"
    [ "$(menu_entries | wc -l)" = 1 ] || fail "Start-menu entries: $(menu_entries | tr '\n' ' ')"
    list=$(entries)
    [ "$(echo "$list" | grep -c .)" = 1 ] || fail "entries in the list of programs: ${list:-none}"
    IFS='|' read -r _ shown publisher icon <<< "$list"
    [ "$shown" = "$version" ] || fail "the list of programs shows version $shown, not $version"
    [ "$publisher" = Tamberlo ] || fail "the list of programs shows the publisher '$publisher'"
    icon=${icon%,*}
    [ -n "$icon" ] && [ -s "$("$wine" winepath -u "$icon" 2> /dev/null)" ] ||
        fail "the list of programs shows no icon ('$icon')"
}

check_removed() {
    [ ! -e "$installed" ] || fail "the removal left $(cd "$installed" && find . -type f | tr '\n' ' ')"
    [ -z "$(menu_entries)" ] || fail "the removal left $(menu_entries)"
    [ -z "$(entries)" ] || fail "the removal left an entry in the list of programs: $(entries)"
}

msiexec() {
    local action=$1 package=$2
    "$wine" msiexec "$action" "$(windows_path "$package")" /qn || fail "msiexec $action ${package##*/}"
}

# The uninstaller runs from a copy of itself and returns at once.
nsis_uninstall() {
    "$wine" "$installed/uninstall.exe" /S || fail "the uninstaller failed"
    for _ in $(seq 300); do [ -e "$installed" ] || break; sleep 0.1; done
}

# The path of the file a Start-menu entry (a shell link) starts, on this side.
link_target() {
    local target
    target=$(/usr/bin/python3 - "$1" << 'PY'
import struct
import sys

data = open(sys.argv[1], "rb").read()
flags = struct.unpack_from("<I", data, 0x14)[0]
at = 0x4C
if flags & 0x1:  # an item ID list first
    at += 2 + struct.unpack_from("<H", data, at)[0]
if not flags & 0x2:
    sys.exit("the link has no target path")
header, base = struct.unpack_from("<I", data, at + 4)[0], struct.unpack_from("<I", data, at + 16)[0]
if header >= 0x24:  # the path in UTF-16 too
    start = at + struct.unpack_from("<I", data, at + 0x1C)[0]
    end = data.index(b"\0\0", start)
    end += (end - start) % 2
    print(data[start:end].decode("utf-16-le"))
else:
    print(data[at + base:data.index(b"\0", at + base)].decode("latin-1"))
PY
    ) || fail "$1 names no program"
    "$wine" winepath -u "$target" 2> /dev/null
}

msi=$build/pressforce-$version-win64.msi
[ -f "$msi" ] || fail "no ${msi##*/} in $build: build the windows_packages target"
later_msi=$build/upgrade/pressforce-$later-win64.msi
setup=$build/pressforce-$version-win64-setup.exe
later_setup=$build/upgrade/pressforce-$later-win64-setup.exe

step "installing ${msi##*/} silently (msiexec /i /qn)"
msiexec /i "$msi"
check_installed "$version" "${stage[0]}" ""
step "starting the program from its Start-menu entry"
exe=$(link_target "$(menu_entries)")
[ "$exe" -ef "$installed/pressforce.exe" ] || fail "the Start-menu entry starts $exe"
WINE64=$wine /usr/bin/python3 "$here/../../tests/desktop/wine.py" "$exe" computes_and_reports_a_fault || fail "the program of the MSI"
step "removing it silently (msiexec /x /qn)"
msiexec /x "$msi"
check_removed

step "upgrading with the MSI: $version, then $later over it"
msiexec /i "$msi"
msiexec /i "$later_msi"
check_installed "$later" "${later_stage[0]}" ""
step "the same version again puts back a missing program file"
rm "$installed/pressforce.exe"
msiexec /i "$later_msi"
check_installed "$later" "${later_stage[0]}" ""
msiexec /x "$later_msi"
check_removed

step "upgrading with the NSIS installer: $version, then $later over it"
"$wine" "$setup" /S || fail "${setup##*/} /S"
"$wine" "$later_setup" /S || fail "${later_setup##*/} /S"
check_installed "$later" "${later_stage[0]}" uninstall.exe
step "the same version again puts back a missing program file"
rm "$installed/pressforce.exe"
"$wine" "$later_setup" /S || fail "${later_setup##*/} /S again"
check_installed "$later" "${later_stage[0]}" uninstall.exe
nsis_uninstall
check_removed

step "all checks passed"
