#!/usr/bin/env bash
# Checks that the README's two commands leave the machine as they found it, apart from the
# packages of their lists.
#
#   machine_state.sh save DIR         note the machine's state in DIR (before tools/dev.sh)
#   machine_state.sh after-run DIR    after `tools/dev.sh run`: no package of the test or the
#                                     Windows list newly installed, no foreign architecture added
#   machine_state.sh after-test DIR   after `tools/dev.sh test`: /usr/sbin/policy-rc.d as it was,
#                                     no SMB server installed or enabled that was not before, no
#                                     foreign architecture added but i386 (32-bit Wine)
#
# A machine that had some of these before (a test package, Samba's servers) is not held against
# the commands; what was there is printed.
set -euo pipefail

here=$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)
policy=/usr/sbin/policy-rc.d
smb_servers='smbd|nmbd|samba|samba-ad-dc'

installed_packages() { dpkg-query -W -f='${db:Status-Abbrev} ${Package}\n' | awk '$1 ~ /^ii/ { print $2 }' | sort; }
# The packages only the test command installs, by name (wine32:i386 is wine32 to dpkg-query).
test_list() {
    grep -h -v -e '^#' -e '^$' "$here/tools/debian-packages-test.txt" "$here/tools/debian-packages-windows.txt" |
        awk '{ sub(/:.*/, "", $1); print $1 }' | sort -u
}
foreign_architectures() { dpkg --print-foreign-architectures | sort; }
policy_state() {
    if [ -e "$policy" ] || [ -L "$policy" ]; then
        stat -c '%F %a %u:%g %s' "$policy"
        sha256sum <"$policy"
    else
        echo absent
    fi
}
# Every unit or init link through which one of Samba's servers would start at boot.
smb_server_links() {
    {
        find /etc/systemd/system -path '*.wants/*' 2>/dev/null | grep -E "/($smb_servers)\.service$" || true
        find /etc/rc[0-6S].d -name 'S*' 2>/dev/null | grep -E "/S[0-9]*($smb_servers)$" || true
    } | sort
}

save() {
    mkdir -p "$1"
    installed_packages >"$1/packages"
    foreign_architectures >"$1/architectures"
    policy_state >"$1/policy"
    smb_server_links >"$1/smb-links"
    already=$(comm -12 <(test_list) "$1/packages" | tr '\n' ' ')
    [ -z "$already" ] || echo "machine state: packages of the test list there before: $already"
    [ ! -s "$1/smb-links" ] || echo "machine state: SMB server start links there before: $(tr '\n' ' ' <"$1/smb-links")"
    echo "machine state: /usr/sbin/policy-rc.d before: $(head -1 "$1/policy")"
}

after_run() {
    local added
    added=$(comm -13 "$1/packages" <(installed_packages) | comm -12 - <(test_list) | tr '\n' ' ')
    if [ -n "$added" ]; then
        echo "FAILED: tools/dev.sh run installed packages of the test list: $added" >&2
        return 1
    fi
    added=$(comm -13 "$1/architectures" <(foreign_architectures) | tr '\n' ' ')
    if [ -n "$added" ]; then
        echo "FAILED: tools/dev.sh run added architectures: $added" >&2
        return 1
    fi
    echo "machine state: tools/dev.sh run installed no package of the test list, added no architecture"
}

after_test() {
    local failed=0 links architectures
    if [ "$(policy_state)" != "$(cat "$1/policy")" ]; then
        echo "FAILED: /usr/sbin/policy-rc.d changed: was '$(head -1 "$1/policy")', is '$(policy_state | head -1)'" >&2
        failed=1
    fi
    links=$(comm -13 "$1/smb-links" <(smb_server_links) | tr '\n' ' ')
    if [ -n "$links" ]; then
        echo "FAILED: SMB server start links appeared: $links" >&2
        failed=1
    fi
    if ! grep -qx samba "$1/packages" && installed_packages | grep -qx samba; then
        echo "FAILED: the samba server package was installed" >&2
        failed=1
    fi
    architectures=$(comm -13 "$1/architectures" <(foreign_architectures) | grep -vx i386 | tr '\n' ' ' || true)
    if [ -n "$architectures" ]; then
        echo "FAILED: foreign architectures other than i386 appeared: $architectures" >&2
        failed=1
    fi
    [ $failed -eq 0 ] && echo "machine state: policy-rc.d as it was, no SMB server installed or enabled," \
        "no architecture added but i386"
    return $failed
}

case "${1:-}" in
save) save "$2" ;;
after-run) after_run "$2" ;;
after-test) after_test "$2" ;;
*)
    echo "usage: machine_state.sh save|after-run|after-test DIR" >&2
    exit 2
    ;;
esac
