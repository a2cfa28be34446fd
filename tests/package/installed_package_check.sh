#!/usr/bin/env bash
# Installs the Debian package on this machine as a user would, uses the installed program, checks
# that the desktop opens the desktop action files with it, purges it and checks that nothing it
# installed is left. For CI machines (root, and nothing of Vespern installed before).
#
#   installed_package_check.sh BUILD-DIR
set -euo pipefail

build=$(cd "$1" && pwd)
here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
app_id=$(sed -n 's/^Icon=//p' "$build"/packaging/share/applications/*.desktop)
mime_type=$(sed -n 's/^MimeType=\(.*\);$/\1/p' "$build"/packaging/share/applications/*.desktop)
scratch=$(mktemp -d /tmp/vespern-package-check.XXXXXX)
trap 'rm -rf "$scratch"' EXIT
fail() {
    echo "FAILED: $*" >&2
    exit 1
}
step() { echo "== $*"; }
types() { /usr/bin/python3 "$here/file_type_check.py" --desktop-id "$app_id" --mime-type "$mime_type" "$@"; }

dpkg-query -W -f='${db:Status-Abbrev}' vespern 2>/dev/null | grep -q '^[ir]' &&
    fail "vespern is installed already; this check needs a machine without it"

step "building the package"
package=$(cd "$build" && cpack -G DEB | sed -n 's/^CPack: - package: \(.*\) generated\.$/\1/p')
[ -f "$package" ] || fail "cpack made no package"
echo "$package"
dpkg-deb --fsys-tarfile "$package" | tar -t | sed 's|^\./|/|; s|/$||' | grep -v '^$' | grep -vx / >"$scratch/contents"
types --save-types "$scratch/types-before.json"

step "installing it: apt-get install $package"
DEBIAN_FRONTEND=noninteractive apt-get install -y -q -o DPkg::Lock::Timeout=300 --no-install-recommends "$package"

step "the installed program"
[ "$(command -v vespern)" = /usr/bin/vespern ] || fail "vespern is not /usr/bin/vespern: $(command -v vespern)"
program=$(readlink -f /usr/bin/vespern)
for beside in Vespern.ico "Vespern help.chm"; do
    [ -f "$(dirname "$program")/$beside" ] || fail "$beside is not beside $program"
done
version=$(vespern --version)
echo "$version"
[ "$version" = "Vespern $(dpkg-query -W -f='${Version}' vespern)" ] || fail "vespern --version says '$version'"
home=$scratch/home
mkdir -m 700 "$home"
oneshot=$(env -u DBUS_SESSION_BUS_ADDRESS HOME="$home" XDG_CONFIG_HOME="$home/config" XDG_RUNTIME_DIR="$home" \
    XDG_DATA_HOME="$home/data" XDG_CACHE_HOME="$home/cache" VESPERN_REGISTRY_DIR="$home/registry" \
    VESPERN_DRY_RUN=1 QT_QPA_PLATFORM=offscreen timeout 30 vespern "$home/Desktop/SHUTDOWN.link" 2>&1 </dev/null) ||
    fail "the dry-run one-shot ended with status $?: $oneshot"
grep 'dry run:' <<<"$oneshot"
grep -qx 'dry run: ExitWindowsEx uFlags=1 dwReserved=0' <<<"$oneshot" || fail "the one-shot asked for no shutdown"

step "what the desktop opens the desktop action files with (GLib)"
types --baseline "$scratch/types-before.json"

step "purging it: apt-get purge vespern"
DEBIAN_FRONTEND=noninteractive apt-get purge -y -q -o DPkg::Lock::Timeout=300 vespern
state=$(dpkg-query -W -f='${db:Status-Abbrev}' vespern 2>/dev/null || true)
[ -z "$state" ] || [[ $state == un* ]] || fail "dpkg still knows vespern as '$state'"

step "nothing of it left"
left=0
while IFS= read -r path; do
    [ -e "$path" ] || [ -L "$path" ] || continue
    # A folder that other packages share stays, as it should.
    [ -d "$path" ] && [ ! -L "$path" ] && dpkg-query -S "$path" >/dev/null 2>&1 && continue
    echo "left behind: $path" >&2
    left=1
done <"$scratch/contents"
[ -e /etc/vespern ] && { echo "left behind: /etc/vespern" >&2; left=1; }
[ $left -eq 0 ] || fail "files of the package are left after the purge"
types --absent --baseline "$scratch/types-before.json" >/dev/null || fail "the file types still name Vespern"
echo "installed, used and purged: nothing left"
