#!/usr/bin/env bash
# Installs what is missing, builds, and then starts Vespern (run) or runs every test (test).
#   tools/dev.sh run    build and start Vespern (VESPERN_DRY_RUN=1 makes it print instead of act)
#   tools/dev.sh test   build and run the whole test suite
set -euo pipefail

here=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
build=${VESPERN_BUILD_DIR:-$here/build}
mode=${1:-}
case "$mode" in run | test) ;; *)
    echo "usage: tools/dev.sh run|test" >&2
    exit 2
    ;;
esac

as_root() { if [ "$(id -u)" -eq 0 ]; then "$@"; else sudo "$@"; fi; }

install_packages() {
    local wanted missing=()
    mapfile -t wanted < <(grep -v -e '^#' -e '^$' "$here/tools/debian-packages.txt")
    for package in "${wanted[@]}"; do
        dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q 'install ok installed' || missing+=("$package")
    done
    [ ${#missing[@]} -eq 0 ] && return
    echo "Installing: ${missing[*]}"
    # Daemons from the packages (samba, dbus) must not start on this machine.
    if [ ! -e /usr/sbin/policy-rc.d ]; then
        printf '#!/bin/sh\nexit 101\n' | as_root tee /usr/sbin/policy-rc.d >/dev/null
        as_root chmod 755 /usr/sbin/policy-rc.d
    fi
    as_root apt-get update -qq
    as_root env DEBIAN_FRONTEND=noninteractive apt-get install -y -qq --no-install-recommends "${missing[@]}"
}

build_all() {
    local werror=OFF
    [ "${CI:-}" = "true" ] && werror=ON
    cmake -S "$here" -B "$build" -DCMAKE_BUILD_TYPE=RelWithDebInfo -DVESPERN_WERROR=$werror >/dev/null
    cmake --build "$build" --parallel "$(nproc)"
}

install_packages
build_all
if [ "$mode" = run ]; then
    exec "$build/vespern"
fi
cd "$build"
ctest --output-on-failure --timeout 600
