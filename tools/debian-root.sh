#!/usr/bin/env bash
# Runs the README's test command as on a new machine of another Debian release:
# a minimal root (debootstrap --variant=minbase, git added) from this machine's
# own Debian mirror, the project cloned into it from this repository's HEAD,
# `./build.sh test` (or COMMAND) run there in a chroot.
#   tools/debian-root.sh RELEASE [COMMAND]      e.g. trixie
# Needs root and debootstrap. The bare root is kept as a tarball and unpacked
# anew for each run; the packages the run downloads are kept beside it, so a
# second run on the same machine fetches nothing. Both live in PF_ROOT_CACHE
# (default /var/cache/pressforce).
set -euo pipefail
release=${1:?usage: debian-root.sh RELEASE [COMMAND]}
command=${2:-./build.sh test}
repo=$(cd "$(dirname "$0")/.." && pwd)
cache=${PF_ROOT_CACHE:-/var/cache/pressforce}
[ "$(id -u)" -eq 0 ] || { echo "debian-root: needs root (debootstrap, chroot, mount)" >&2; exit 1; }
command -v debootstrap > /dev/null || { echo "debian-root: debootstrap is missing (Debian: debootstrap)" >&2; exit 1; }

mkdir -p "$cache/apt-$release"
bare=$cache/root-$release.tar
if ! [ -s "$bare" ]; then
    mirror=$(apt-get indextargets --format '$(ORIGIN) $(REPO_URI)' 'Created-By: Packages' |
        awk '$1 == "Debian" && $2 !~ /security/ { print $2; exit }')
    [ -n "$mirror" ] || { echo "debian-root: this machine has no Debian mirror in its apt sources" >&2; exit 1; }
    fresh=$(mktemp -d /var/tmp/pf-debootstrap.XXXXXX)
    echo "debian-root: debootstrap $release from $mirror"
    debootstrap --variant=minbase --include=git,ca-certificates --cache-dir="$cache/apt-$release" \
        "$release" "$fresh" "$mirror" > "$cache/debootstrap-$release.log" ||
        { tail -n 20 "$cache/debootstrap-$release.log" >&2; rm -rf "$fresh"; exit 1; }
    tar -C "$fresh" -cf "$bare.part" . && mv "$bare.part" "$bare"
    rm -rf "$fresh"
fi

root=$(mktemp -d /var/tmp/pf-root-$release.XXXXXX)
cleanup() {
    # Whatever the run left in the root (an X server, a bus) ends first.
    local p
    for p in /proc/[0-9]*; do
        [ "$(readlink "$p/root" 2> /dev/null)" = "$root" ] && kill -9 "${p#/proc/}" 2> /dev/null
    done
    umount -R "$root/dev" "$root/proc" "$root/sys" "$root/var/cache/apt/archives" 2> /dev/null || true
    mountpoint -q "$root/dev" || rm -rf --one-file-system "$root"
}
trap cleanup EXIT
tar -C "$root" -xf "$bare"
mount -t proc proc "$root/proc"
mount -t sysfs sysfs "$root/sys"
mount --rbind /dev "$root/dev"
mount --make-rslave "$root/dev"
mount --bind "$cache/apt-$release" "$root/var/cache/apt/archives"
cp /etc/resolv.conf "$root/etc/resolv.conf"
git clone --quiet "$repo" "$root/src"

echo "debian-root: $command on Debian $(cat "$root/etc/debian_version")"
chroot "$root" /usr/bin/env -i HOME=/root TERM="${TERM:-dumb}" LANG=C.UTF-8 CI="${CI:-}" \
    PATH=/usr/local/sbin:/usr/local/bin:/usr/sbin:/usr/bin:/sbin:/bin \
    bash -c "cd /src && $command"
