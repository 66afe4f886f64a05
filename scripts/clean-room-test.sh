#!/usr/bin/env bash
# Runs a command ("make test" by default) in a clean clone of the committed
# HEAD inside a bare Debian 12 root, where nothing but the minimal base system
# and `make` is installed: the machine a new user starts from. A developer's
# own machine hides every package it once installed by hand; this does not.
#
#   scripts/clean-room-test.sh [COMMAND...]        (as root, from anywhere)
#
# The bare root is bootstrapped once into $POMVEX_CLEAN_ROOT (default
# /var/cache/pomvex/clean-root, a few minutes) and kept pristine; every run
# works on a fresh copy of it, so a later run pays only for the copy. The log
# of the run is kept in $POMVEX_CLEAN_ROOT-run/log.txt.
#
# When the run cannot happen (not root, no debootstrap, no mirror) the script
# fails and says why: a clean-room check that skips itself is no check.
set -euo pipefail

project=$(cd "$(dirname "$0")/.." && pwd)
base=${POMVEX_CLEAN_ROOT:-/var/cache/pomvex/clean-root}
run=$base-run
command=${*:-make test}

fail() {
    echo "clean-room-test: $*" >&2
    exit 2
}

[ "$(id -u)" = 0 ] || fail "must run as root: it bootstraps a Debian root and chroots into it"
git -C "$project" rev-parse --verify -q HEAD >/dev/null || fail "$project has no commit to clone"

# The Debian mirror this machine's own apt uses: deb822 sources first, then
# the one-line format. Never a host name of our own choosing.
debian_mirror() {
    local mirror
    mirror=$(sed -n 's/^URIs: *\([^ ]*\).*/\1/p' /etc/apt/sources.list.d/*.sources 2>/dev/null |
        grep -v -- -security | head -n 1 || true)
    [ -n "$mirror" ] ||
        mirror=$(awk '$1 == "deb" && $2 !~ /-security/ {print $2; exit}' \
            /etc/apt/sources.list /etc/apt/sources.list.d/*.list 2>/dev/null || true)
    echo "$mirror"
}

bootstrap() {
    if ! command -v debootstrap >/dev/null; then
        echo "installing debootstrap"
        { apt-get update -qq && DEBIAN_FRONTEND=noninteractive apt-get install -y -qq debootstrap; } \
            >/dev/null || fail "debootstrap is missing and apt-get could not install it"
    fi
    local mirror
    mirror=$(debian_mirror)
    [ -n "$mirror" ] || fail "no Debian mirror in this machine's apt sources (/etc/apt)"
    echo "bootstrapping a bare Debian 12 root into $base from $mirror (a few minutes)"
    rm -rf --one-file-system "$base" "$base.partial"
    mkdir -p "$(dirname "$base")"
    debootstrap --variant=minbase bookworm "$base.partial" "$mirror" >"$base.log" 2>&1 ||
        fail "debootstrap failed (is the mirror reachable?); its log: $base.log"
    # The same package sources and apt settings as this machine, so the
    # root reaches exactly the registries the machine reaches.
    rm -f "$base.partial/etc/apt/sources.list"
    cp -a /etc/apt/sources.list.d/. "$base.partial/etc/apt/sources.list.d/"
    cp -a /etc/apt/apt.conf.d/. "$base.partial/etc/apt/apt.conf.d/"
    [ -f /etc/apt/sources.list ] && cp /etc/apt/sources.list "$base.partial/etc/apt/"
    cp -L /etc/resolv.conf "$base.partial/etc/"
    chroot "$base.partial" bash -c 'apt-get update -qq &&
        DEBIAN_FRONTEND=noninteractive apt-get install -y -qq --no-install-recommends make ca-certificates &&
        apt-get clean' >>"$base.log" 2>&1 ||
        fail "could not install make in the bare root (is the mirror reachable?); its log: $base.log"
    # Only a finished root is ever moved into place.
    mv "$base.partial" "$base"
}

unmount_all() {
    local m
    for m in dev/shm dev/pts dev proc sys; do
        mountpoint -q "$run/$m" 2>/dev/null && umount -l "$run/$m"
    done
    return 0
}

[ -x "$base/usr/bin/make" ] || bootstrap

trap unmount_all EXIT
unmount_all
# Never into a mount that survived an earlier run: only the copy itself goes.
rm -rf --one-file-system "$run"
echo "copying the bare root to $run"
cp -a "$base" "$run"
# The clone is of what is committed, never of a working tree's edits.
git clone -q "$project" "$run/root/project"
git -C "$run/root/project" checkout -q "$(git -C "$project" rev-parse HEAD)"
# The shared folder beside the checkout, as CI lays it out.
[ -d "$project/../shared" ] && cp -a "$project/../shared" "$run/root/shared"
mount --bind /dev "$run/dev"
mount --bind /dev/pts "$run/dev/pts"
mount -t tmpfs tmpfs "$run/dev/shm"
mount -t proc proc "$run/proc"
mount -t sysfs sys "$run/sys"
cp -L /etc/resolv.conf "$run/etc/"

echo "running '$command' in a clean clone of $(git -C "$project" rev-parse --short HEAD) on the bare root"
started=$(date +%s)
set +e
chroot "$run" env -i HOME=/root PATH=/usr/local/sbin:/usr/local/bin:/usr/sbin:/usr/bin:/sbin:/bin \
    LANG=C.UTF-8 CI=true bash -c "cd /root/project && $command" >"$run/log.txt" 2>&1
rc=$?
set -e
tail -n 15 "$run/log.txt"
echo "clean room: '$command' exited $rc after $(($(date +%s) - started)) s (log: $run/log.txt)"
exit $rc
