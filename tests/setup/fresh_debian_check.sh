#!/usr/bin/env bash
# Runs the README's two commands on a fresh Debian 12, made with debootstrap in a folder of its
# own, and checks the machine after each (tests/setup/machine_state.sh): after `run` no package of
# the test list is installed; after `test` every test has passed, the Samba one included,
# /usr/sbin/policy-rc.d is as it was (absent) and no SMB server is installed or enabled. Then it
# installs, uses and purges the Debian package as CI does (tests/package/installed_package_check.sh).
#
#   tests/setup/fresh_debian_check.sh [MIRROR]
#
# Needs root and debootstrap, and downloads about 1 GB; it takes far longer than CI allows, which
# runs the same checks on its own machine. The chroot is removed afterwards unless
# VESPERN_KEEP_CHROOT=1. The working tree is copied in as it is (without build folders).
set -euo pipefail

here=$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)
[ "$(id -u)" -eq 0 ] || { echo "SKIPPED: needs root (debootstrap, chroot)" >&2; exit 77; }
command -v debootstrap >/dev/null || { echo "SKIPPED: needs debootstrap" >&2; exit 77; }
mirror=${1:-http://deb.debian.org/debian}

root=$(mktemp -d /var/tmp/vespern-fresh-debian.XXXXXX)
# The chroot's / must be open to every account, as a machine's is (the tests use "nobody").
chmod 755 "$root"
mounts=()
cleanup() {
    local i
    for ((i = ${#mounts[@]} - 1; i >= 0; i--)); do
        umount -l "${mounts[i]}" 2>/dev/null || true
    done
    if [ "${VESPERN_KEEP_CHROOT:-}" = 1 ]; then
        echo "chroot kept in $root"
    else
        rm -rf --one-file-system "$root"
    fi
}
trap cleanup EXIT
mount_in() {
    mkdir -p "$root$2"
    mount "${@:3}" "$1" "$root$2"
    mounts+=("$root$2")
}

timed() {
    local start=$SECONDS
    "$@"
    echo "-- $(($SECONDS - start)) s: $*"
}

timed debootstrap --variant=minbase bookworm "$root" "$mirror"
# The same archives as this machine, updates and security included.
if compgen -G '/etc/apt/sources.list.d/*.sources' >/dev/null; then
    rm -f "$root/etc/apt/sources.list"
    cp /etc/apt/sources.list.d/*.sources "$root/etc/apt/sources.list.d/"
fi
cp /etc/resolv.conf "$root/etc/resolv.conf"
# Its own mount point, so that the tests' private mount namespaces can be made in the chroot.
mount_in "$root" / --bind
mount_in proc /proc -t proc
mount_in sysfs /sys -t sysfs
mount_in /dev /dev --rbind
mount_in tmpfs /dev/shm -t tmpfs
mkdir -p "$root/src"
git -C "$here" ls-files -co --exclude-standard -z | tar -C "$here" --null -T - -c | tar -C "$root/src" -x

in_chroot() {
    chroot "$root" /usr/bin/env -i PATH=/usr/local/sbin:/usr/local/bin:/usr/sbin:/usr/bin:/sbin:/bin \
        HOME=/root LANG=C.UTF-8 TERM=dumb CI=true VESPERN_REQUIRE_SAMBA_TEST=1 bash -c "cd /src && $1"
}
in_chroot 'tests/setup/machine_state.sh save /var/tmp/vespern-state'
timed in_chroot 'tools/dev.sh run --version'
in_chroot 'tests/setup/machine_state.sh after-run /var/tmp/vespern-state'
timed in_chroot 'tools/dev.sh test'
in_chroot 'tests/setup/machine_state.sh after-test /var/tmp/vespern-state'
timed in_chroot 'tests/package/installed_package_check.sh build'
echo "fresh Debian 12: both commands passed and left the machine as they found it;" \
    "the Debian package installed, ran and was purged without a trace"
