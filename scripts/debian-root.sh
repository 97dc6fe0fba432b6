#!/usr/bin/env bash
# scripts/debian-root.sh [SUITE [test|package]]
#   the quick suite (or the package check) in a fresh Debian root, trixie by default;
#   `scripts/dev.sh check trixie` runs the suite: what a new user on that release gets from
#   the README's `scripts/dev.sh test`.
#
# The pristine root (`debootstrap --variant=minbase`) is made once and kept as a tarball in
# $QM3270_CACHE (~/.cache/qm3270 by default), with the packages it downloads and a compiler
# cache, so that a run downloads and compiles only what changed. Each run unpacks the root
# afresh, copies this clone's files into it (tracked and new ones, no build folders),
# installs what the README's commands install and runs `scripts/dev.sh test` inside.
# Needs root: debootstrap, chroot and mount.
set -euo pipefail
cd "$(dirname "$0")/.."

suite=${1:-trixie}
what=${2:-test}
case "$what" in
    test | package) ;;
    *) echo "usage: scripts/debian-root.sh [SUITE [test|package]]" >&2; exit 1 ;;
esac
mirror=${DEBIAN_MIRROR:-http://deb.debian.org/debian}
cache=${QM3270_CACHE:-${XDG_CACHE_HOME:-$HOME/.cache}/qm3270}
pristine=$cache/$suite-minbase.tar

if [ "$(id -u)" -ne 0 ]; then
    echo "debian-root: run as root (debootstrap, chroot and mount need it)" >&2
    exit 1
fi
command -v debootstrap >/dev/null || {
    echo "debian-root: debootstrap is missing: scripts/install-deps.sh check installs it" >&2
    exit 1
}
mkdir -p "$cache/$suite-archives/partial" "$cache/$suite-ccache"

if [ ! -f "$pristine" ]; then
    echo "debian-root: making the pristine $suite root (once; kept in $pristine)" >&2
    fresh=$(mktemp -d "$cache/$suite-root.XXXXXX")
    debootstrap --variant=minbase "$suite" "$fresh" "$mirror" >"$fresh.log" 2>&1 ||
        { tail -n 30 "$fresh.log" >&2; rm -rf "$fresh"; exit 1; }
    tar -C "$fresh" -cf "$pristine.part" .
    mv "$pristine.part" "$pristine"
    rm -rf "$fresh" "$fresh.log"
fi

root=$(mktemp -d "${TMPDIR:-/tmp}/qm3270-$suite.XXXXXX")
mounted=()
cleanup() {
    local k
    for ((k = ${#mounted[@]} - 1; k >= 0; k--)); do
        umount "${mounted[k]}" 2>/dev/null || umount -l "${mounted[k]}"
    done
    rm -rf --one-file-system "$root"
}
trap cleanup EXIT
mount_in() {  # mount_in WHERE mount-arguments...
    local where=$root/$1
    shift
    mkdir -p "$where"
    mount "$@" "$where"
    mounted+=("$where")
}

tar -C "$root" -xf "$pristine"
mount_in proc -t proc proc
mount_in sys -t sysfs -o ro sysfs
mount_in dev/pts -t devpts -o newinstance,ptmxmode=0666,mode=620 devpts
ln -sf pts/ptmx "$root/dev/ptmx"
mount_in dev/shm -t tmpfs tmpfs
mount_in var/cache/apt/archives --bind "$cache/$suite-archives"
mount_in root/.ccache --bind "$cache/$suite-ccache"
cp /etc/resolv.conf "$root/etc/resolv.conf"
# minbase keeps downloaded packages only when told to.
echo 'Binary::apt::APT::Keep-Downloaded-Packages "true";' >"$root/etc/apt/apt.conf.d/01keep"

mkdir -p "$root/root/qm3270"
git ls-files -z --cached --others --exclude-standard |
    tar --null -T - -cf - | tar -C "$root/root/qm3270" -xf -

echo "debian-root: $(sed -n 's/^PRETTY_NAME=//p' "$root/etc/os-release")" >&2
# The README's command on a fresh system; the compiler cache is added after its
# install step, before the build.
chroot "$root" /usr/bin/env -i HOME=/root LANG=C.UTF-8 TERM=dumb \
    PATH=/usr/local/sbin:/usr/local/bin:/usr/sbin:/usr/bin:/sbin:/bin \
    CCACHE_DIR=/root/.ccache CCACHE_BASEDIR=/root/qm3270 \
    WHAT="$what" bash -c 'set -e
        cd /root/qm3270
        bash scripts/install-deps.sh
        DEBIAN_FRONTEND=noninteractive apt-get install -y -qq --no-install-recommends ccache >/dev/null
        bash scripts/dev.sh "$WHAT" 2>&1 | tee /root/test.log
        status=${PIPESTATUS[0]}
        warnings=$(grep -cE "^[^ ]+:[0-9]+:[0-9]+: warning:" /root/test.log || true)
        echo "debian-root: $warnings compiler warnings" >&2
        [ "$status" -eq 0 ] && [ "$warnings" -eq 0 ]'
