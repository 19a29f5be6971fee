#!/usr/bin/env bash
# Checks that the downloads of BUILD_DIR are reproducible. The program holds
# no folder of the machine that built it; built again from a fresh clone of
# the commit BUILD_DIR was built from (with the work tree's uncommitted
# changes, if any), in another folder and later, the downloads are the same
# byte for byte: the Debian package of a Linux build, or the program file, the
# zip and the two installers of a Windows build. On a difference, names the files
# (and the package's members) that differ; the second build's files are kept
# in BUILD_DIR/reproducible/ for diffoscope.
#   packaging/test-reproducible.sh BUILD_DIR
# Needs (Debian): git, cmake, dpkg-dev, file, diffutils.
set -euo pipefail

build=$(cd "${1:?usage: test-reproducible.sh BUILD_DIR}" && pwd)
fail() {
    echo "test-reproducible: FAILED: $*" >&2
    exit 1
}
step() { echo "test-reproducible: $*"; }

cache() { sed -n "s/^$1:[A-Z]*=//p" "$build/CMakeCache.txt"; }
if [ -n "$(cache PF_MAKENSIS)" ]; then
    # The Windows build: cross-compiled with the same Qt and build tools.
    firsts=("$build"/pressforce-*-win64.exe "$build"/pressforce-*-win64.zip "$build"/pressforce-*-win64-setup.exe
            "$build"/pressforce-*-win64.msi)
    target=windows_packages
    options=(-G Ninja "-DCMAKE_TOOLCHAIN_FILE=$(cache CMAKE_TOOLCHAIN_FILE)"
             "-DPF_PICTURE_COMPILER=$(cache PF_PICTURE_COMPILER)" "-DPF_LAYOUT_FACTS=$(cache PF_LAYOUT_FACTS)")
    made_by="the windows_packages target"
else
    firsts=("$build"/pressforce_*.deb)
    target=package
    options=()
    made_by="packaging/test-package.sh"
fi
for first in "${firsts[@]}"; do
    [ -f "$first" ] || fail "$first is missing ($made_by makes it)"
done
src=$(cache CMAKE_HOME_DIRECTORY)
type=$(cache CMAKE_BUILD_TYPE)
if ! git -C "$src" rev-parse --verify -q HEAD > /dev/null; then
    step "skipped: $src is no git work tree to clone a commit from"
    exit 0
fi
commit=$(git -C "$src" rev-parse HEAD)
started=$(date +%s)
tmp=$(mktemp -d "${TMPDIR:-/tmp}/pf-reproducible.XXXXXX")
trap 'rm -rf "$tmp"' EXIT

# No folder of the building machine in the program: the sources, the build,
# and the Qt a Windows build links, which another machine keeps elsewhere.
folders=("$src" "$build")
if [ "$target" = package ]; then
    dpkg-deb -x "${firsts[0]}" "$tmp/payload"
else
    qt=$(cache Qt6_DIR)
    folders+=("${qt%/lib/cmake/Qt6}")
    mkdir "$tmp/payload" && cp "${firsts[0]}" "$tmp/payload/"
fi
for folder in "${folders[@]}"; do
    holding=$(grep -rlaF "$folder" "$tmp/payload" || true)
    [ -z "$holding" ] || fail "${holding//$tmp\/payload\//} holds the build machine's folder $folder"
done

# Another folder, of another length, than the first build's; the build folder
# where it was from the sources (within, or beside them), since the paths from
# one to the other are in the debugging information.
top=$tmp/build
parent=${src%/*}
[ ${#top} -ne ${#parent} ] || top=$tmp/build-again
clone=$top/${src##*/}
case $build/ in
"$src"/*) second_build=$clone/${build#"$src"/} ;;
*) second_build=$top/${build##*/} ;;
esac
step "building the downloads again from a clone of ${commit:0:12} in $clone"
git clone --quiet --shared --no-checkout "$src" "$clone"
git -C "$clone" checkout --quiet --detach "$commit"
if [ -n "$(git -C "$src" status --porcelain)" ]; then
    step "with the work tree's uncommitted changes"
    git -C "$src" diff --binary HEAD > "$tmp/changes.diff"
    [ -s "$tmp/changes.diff" ] && git -C "$clone" apply --whitespace=nowarn "$tmp/changes.diff"
    (cd "$src" && git ls-files -z --others --exclude-standard | tar --null -T - -cf -) | tar -C "$clone" -xf -
fi
[ "$target" = package ] || options+=("-DQT_CHAINLOAD_TOOLCHAIN_FILE=$clone/cmake/mingw-w64-x86_64.cmake")
# The program and what the downloads hold, no tests.
cmake -S "$clone" -B "$second_build" -DCMAKE_BUILD_TYPE="$type" -DPF_BUILD_TESTS=OFF -DPF_BUILD_BENCH=OFF \
    "${options[@]}" > "$tmp/build.log" 2>&1 &&
    cmake --build "$second_build" -j"$(nproc)" --target "$target" >> "$tmp/build.log" 2>&1 ||
    { tail -n 30 "$tmp/build.log" >&2; fail "the second build"; }
differing=()
for first in "${firsts[@]}"; do
    [ -f "$second_build/${first##*/}" ] || fail "the second build made no ${first##*/}"
    cmp -s "$first" "$second_build/${first##*/}" || differing+=("$first")
done
if [ ${#differing[@]} -eq 0 ]; then
    step "${firsts[*]##*/}: identical, byte for byte ($(($(date +%s) - started)) s)"
    exit 0
fi
mkdir -p "$build/reproducible"
for first in "${differing[@]}"; do
    cp "$second_build/${first##*/}" "$build/reproducible/"
    echo "test-reproducible: ${first##*/} differs in $(cmp -l "$first" "$second_build/${first##*/}" 2> /dev/null |
        wc -l) bytes from $build/reproducible/${first##*/}" >&2
done
first=${differing[0]}
second=$second_build/${first##*/}
if command -v diffoscope > /dev/null; then
    diffoscope "$first" "$second" >&2 || true
elif [ "$target" = package ]; then
    # The archive's members, the file listings (modes, owners, times), then
    # each file that differs.
    diff <(ar tv "$first") <(ar tv "$second") >&2 || true
    diff <(dpkg-deb --contents "$first") <(dpkg-deb --contents "$second") >&2 || true
    dpkg-deb --raw-extract "$first" "$tmp/a"
    dpkg-deb --raw-extract "$second" "$tmp/b"
    diff -r "$tmp/a" "$tmp/b" | sed 's/^/  /' >&2 || true
    (cd "$tmp/a" && find . -type f) | while read -r f; do
        [ -f "$tmp/b/$f" ] || continue
        cmp -s "$tmp/a/$f" "$tmp/b/$f" ||
            echo "  $f: $(cmp -l "$tmp/a/$f" "$tmp/b/$f" 2> /dev/null | wc -l) bytes differ, the first at $(cmp "$tmp/a/$f" "$tmp/b/$f" | sed 's/.*: //')" >&2
    done
fi
fail "the downloads are not reproducible"
