#!/usr/bin/env bash
# Installs what is missing, builds, and then starts Vespern (run), runs every test (test), or
# builds the Debian package and installs it (install).
#   tools/dev.sh run [ARG...]  build and start Vespern with ARG... (VESPERN_DRY_RUN=1 makes it
#                              print its requests instead of making them)
#   tools/dev.sh test          build and run the whole test suite: the Linux build's, then the
#                              Windows build's under Wine
#   tools/dev.sh install       build the Debian package and install it on this machine
#
# run and install install the packages of tools/debian-packages.txt; test adds those of
# tools/debian-packages-test.txt and tools/debian-packages-windows.txt (with the i386
# architecture, for 32-bit Wine). Nothing else of the machine is changed: no service is started
# while packages are installed, and no SMB server is installed at all (the tests unpack one into
# the build folder).
set -euo pipefail

here=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
build=${VESPERN_BUILD_DIR:-$here/build}
windows_build=${VESPERN_WINDOWS_BUILD_DIR:-$here/build-windows}
windows_x64_build=${VESPERN_WINDOWS_X64_BUILD_DIR:-$here/build-windows-x64}
mode=${1:-}
case "$mode" in run | test | install) shift ;; *)
    echo "usage: tools/dev.sh run [ARG...] | test | install" >&2
    exit 2
    ;;
esac

as_root() { if [ "$(id -u)" -eq 0 ]; then "$@"; else sudo "$@"; fi; }

# Runs the command with every package's services held back: a policy-rc.d that refuses to start
# them, there for this one command only. A policy-rc.d the machine already has is its own; it is
# used as it is and left exactly as it was.
policy=/usr/sbin/policy-rc.d
placed_policy=false
remove_policy() {
    if $placed_policy; then
        as_root rm -f "$policy"
        placed_policy=false
    fi
}
with_services_held() {
    if [ -e "$policy" ] || [ -L "$policy" ]; then
        "$@"
        return
    fi
    trap remove_policy EXIT
    trap 'remove_policy; exit 130' INT TERM HUP
    placed_policy=true
    printf '#!/bin/sh\n# tools/dev.sh: no service starts during this installation.\nexit 101\n' |
        as_root tee "$policy" >/dev/null
    as_root chmod 755 "$policy"
    local status=0
    "$@" || status=$?
    remove_policy
    trap - EXIT INT TERM HUP
    return $status
}

package_lists_updated=false
update_package_lists() {
    $package_lists_updated && return
    as_root apt-get update -qq
    package_lists_updated=true
}

# Installs the packages of one list under tools/ that are not installed yet.
install_list() {
    local package missing=()
    while read -r package _; do
        [[ -z $package || $package == \#* ]] && continue
        dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q 'install ok installed' || missing+=("$package")
    done <"$here/tools/$1"
    [ ${#missing[@]} -eq 0 ] && return
    echo "Installing: ${missing[*]}"
    update_package_lists
    with_services_held as_root env DEBIAN_FRONTEND=noninteractive \
        apt-get install -y -qq --no-install-recommends "${missing[@]}"
}

install_run_packages() { install_list debian-packages.txt; }
install_test_packages() { install_list debian-packages-test.txt; }
# First of all: 32-bit Wine upgrades some of the system's libraries, which the Linux build then
# links against.
install_windows_packages() {
    if ! dpkg --print-foreign-architectures | grep -qx i386; then
        echo "Adding the i386 architecture (for 32-bit Wine)"
        as_root dpkg --add-architecture i386
        package_lists_updated=false
    fi
    install_list debian-packages-windows.txt
}

# smbd, the server of the remote shutdown test, unpacked from Debian's samba package into the
# build folder, in the version of the installed Samba libraries it loads. It runs only inside the
# test's own namespaces; the package is never installed, so no SMB server is enabled or started.
unpack_samba_server() {
    local dir=$build/test-peers/samba download=$build/test-peers/download version
    version=$(dpkg-query -W -f='${Version}' samba-libs)
    if [ -x "$dir/usr/sbin/smbd" ] && [ "$(cat "$dir/version" 2>/dev/null)" = "$version" ]; then
        return
    fi
    echo "Unpacking smbd $version into $dir"
    rm -rf "$download" && mkdir -p "$download"
    local fetch=(apt-get -qq download "samba=$version")
    # apt's download helper cannot write into a folder of root's own.
    [ "$(id -u)" -eq 0 ] && fetch=(apt-get -qq -o APT::Sandbox::User=root download "samba=$version")
    if ! (cd "$download" && "${fetch[@]}" 2>/dev/null); then
        update_package_lists
        if ! (cd "$download" && "${fetch[@]}"); then
            echo "samba $version (the version of the installed samba-libs) cannot be downloaded;" \
                "bring Samba's libraries up to date first: sudo apt-get install --only-upgrade samba-libs" >&2
            exit 1
        fi
    fi
    rm -rf "$dir" && mkdir -p "$dir"
    dpkg-deb -x "$download"/samba_*.deb "$dir"
    echo "$version" >"$dir/version"
    rm -rf "$download"
}

werror=OFF
[ "${CI:-}" = "true" ] && werror=ON
configure() {
    cmake -S "$here" -B "$build" -DCMAKE_BUILD_TYPE=RelWithDebInfo -DVESPERN_WERROR=$werror "$@" >/dev/null
}

# The program without the tests, which need the packages of the test list; a build folder that
# has them already keeps them.
build_program() {
    local options=()
    [ -f "$build/CMakeCache.txt" ] || options=(-DVESPERN_BUILD_TESTS=OFF -DVESPERN_BUILD_BENCHMARKS=OFF)
    configure "${options[@]}"
    cmake --build "$build" --parallel "$(nproc)" "$@"
}

build_all() {
    configure -DVESPERN_BUILD_TESTS=ON -DVESPERN_BUILD_BENCHMARKS=ON
    cmake --build "$build" --parallel "$(nproc)"
}

# The 32-bit Windows program and its tests (CMakePresets.json), which compare it with the Linux
# program.
build_windows() {
    cmake --preset windows -B "$windows_build" -DVESPERN_BUILD_TESTS=ON -DVESPERN_WERROR=$werror \
        -DVESPERN_LINUX_PROGRAM="$build/vespern" >/dev/null
    cmake --build "$windows_build" --parallel "$(nproc)"
}

# Whether this kernel runs 32-bit programs at all: some have ia32 emulation turned off, and then
# no 32-bit Wine can start.
runs_32bit_programs() { /usr/lib/wine/wine --version >/dev/null 2>&1; }

# The same program and tests for x86-64, run under 64-bit Wine where 32-bit Wine cannot run.
build_windows_x64() {
    cmake --preset windows-x64 -B "$windows_x64_build" -DVESPERN_BUILD_TESTS=ON -DVESPERN_WERROR=$werror \
        -DVESPERN_LINUX_PROGRAM="$build/vespern" >/dev/null
    cmake --build "$windows_x64_build" --parallel "$(nproc)"
}

# Runs the Windows tests of the 32-bit build, or of the x86-64 one where this kernel runs no
# 32-bit programs (the 32-bit program and its tests are built either way).
run_windows_tests() {
    local tests=$windows_build
    if ! runs_32bit_programs; then
        echo "This kernel runs no 32-bit programs (ia32 emulation is off), so 32-bit Wine cannot start:" \
            "the Windows tests run from the x86-64 build under 64-bit Wine instead."
        build_windows_x64
        tests=$windows_x64_build
    fi
    echo "The Windows tests, under Wine ($tests):"
    (cd "$tests" && ctest --output-on-failure --timeout 600)
}

case "$mode" in
run)
    install_run_packages
    build_program --target vespern
    exec "$build/vespern" "$@"
    ;;
install)
    install_run_packages
    build_program
    package=$(cd "$build" && cpack -G DEB | sed -n 's/^CPack: - package: \(.*\) generated\.$/\1/p')
    [ -f "$package" ] || { echo "cpack made no package" >&2; exit 1; }
    as_root env DEBIAN_FRONTEND=noninteractive apt-get install -y --no-install-recommends "$package"
    ;;
test)
    install_windows_packages
    install_run_packages
    install_test_packages
    unpack_samba_server
    build_all
    build_windows
    status=0
    (cd "$build" && ctest --output-on-failure --timeout 600) || status=$?
    run_windows_tests || status=$?
    exit $status
    ;;
esac
