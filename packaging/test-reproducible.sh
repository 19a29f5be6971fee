#!/usr/bin/env bash
# Checks that the Debian package is reproducible: builds it again from a fresh
# clone of the commit BUILD_DIR was built from (with the work tree's
# uncommitted changes, if any), in another folder and later, and compares it
# byte for byte with the package in BUILD_DIR. On a difference, names the
# package members and the files that differ; the second package is kept in
# BUILD_DIR/reproducible/ for diffoscope.
#   packaging/test-reproducible.sh BUILD_DIR
# Needs (Debian): git, cmake, dpkg-dev, file, diffutils.
set -euo pipefail

build=$(cd "${1:?usage: test-reproducible.sh BUILD_DIR}" && pwd)
fail() {
    echo "test-reproducible: FAILED: $*" >&2
    exit 1
}
step() { echo "test-reproducible: $*"; }

debs=("$build"/pressforce_*.deb)
[ ${#debs[@]} -eq 1 ] && [ -f "${debs[0]}" ] || fail "expected one pressforce_*.deb in $build (packaging/test-package.sh builds it)"
first=${debs[0]}
cache() { sed -n "s/^$1:[A-Z]*=//p" "$build/CMakeCache.txt"; }
src=$(cache CMAKE_HOME_DIRECTORY)
type=$(cache CMAKE_BUILD_TYPE)
if ! git -C "$src" rev-parse --verify -q HEAD > /dev/null; then
    step "skipped: $src is no git work tree to clone a commit from"
    exit 0
fi
commit=$(git -C "$src" rev-parse HEAD)
started=$(date +%s)

# Another folder, of another length, than the first build's; the build folder
# where it was from the sources (within, or beside them), since the paths from
# one to the other are in the debugging information.
tmp=$(mktemp -d "${TMPDIR:-/tmp}/pf-reproducible.XXXXXX")
trap 'rm -rf "$tmp"' EXIT
top=$tmp
parent=${src%/*}
[ ${#top} -ne ${#parent} ] || top=$tmp/again
clone=$top/${src##*/}
case $build/ in
"$src"/*) second_build=$clone/${build#"$src"/} ;;
*) second_build=$top/${build##*/} ;;
esac
step "building the package again from a clone of ${commit:0:12} in $clone"
git clone --quiet --shared --no-checkout "$src" "$clone"
git -C "$clone" checkout --quiet --detach "$commit"
if [ -n "$(git -C "$src" status --porcelain)" ]; then
    step "with the work tree's uncommitted changes"
    git -C "$src" diff --binary HEAD > "$tmp/changes.diff"
    [ -s "$tmp/changes.diff" ] && git -C "$clone" apply --whitespace=nowarn "$tmp/changes.diff"
    (cd "$src" && git ls-files -z --others --exclude-standard | tar --null -T - -cf -) | tar -C "$clone" -xf -
fi
# The program and what the package holds, no tests.
cmake -S "$clone" -B "$second_build" -DCMAKE_BUILD_TYPE="$type" -DPF_BUILD_TESTS=OFF -DPF_BUILD_BENCH=OFF \
    > "$tmp/build.log" 2>&1 &&
    cmake --build "$second_build" -j"$(nproc)" --target package >> "$tmp/build.log" 2>&1 ||
    { tail -n 30 "$tmp/build.log" >&2; fail "the second build"; }
second=$second_build/$(basename "$first")
[ -f "$second" ] || fail "the second build made no $(basename "$first")"

if cmp -s "$first" "$second"; then
    step "$(basename "$first") is identical, byte for byte ($(($(date +%s) - started)) s)"
    exit 0
fi
mkdir -p "$build/reproducible"
cp "$second" "$build/reproducible/"
echo "test-reproducible: $first and $build/reproducible/$(basename "$second") differ:" >&2
if command -v diffoscope > /dev/null; then
    diffoscope "$first" "$second" >&2 || true
else
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
fail "the package is not reproducible"
