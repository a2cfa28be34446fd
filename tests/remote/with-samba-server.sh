#!/bin/bash
# Runs a command beside a throwaway Samba server that lives in private mount, network and
# process namespaces: nothing it starts outlives the command, and it listens on loopback only.
#
#   with-samba-server.sh COMMAND [ARG...]
#
# The command sees VESPERN_SMB_PORT, VESPERN_TEST_SMB_USER and VESPERN_TEST_SMB_PASSWORD (an
# account that may shut the server down), VESPERN_TEST_SMB_PLAIN_USER and
# VESPERN_TEST_SMB_PLAIN_PASSWORD (one that may not), and VESPERN_TEST_SAMBA_LOGS (the
# directory holding the server's debug logs).
# The server is smbd from VESPERN_SAMBA_SERVER_DIR (Debian's samba package unpacked there, as
# tools/dev.sh does, so that no SMB server is installed on the machine) or else the installed one.
# Exits 77 (skipped) when the machine cannot host such a server, or 1 with
# VESPERN_REQUIRE_SAMBA_TEST=1 (for CI, where a skip would hide a missing package).
set -u

smbd=/usr/sbin/smbd
if [ -n "${VESPERN_SAMBA_SERVER_DIR:-}" ] && [ -x "$VESPERN_SAMBA_SERVER_DIR/usr/sbin/smbd" ]; then
    smbd=$VESPERN_SAMBA_SERVER_DIR/usr/sbin/smbd
fi

skip() {
    if [ "${VESPERN_REQUIRE_SAMBA_TEST:-}" = 1 ]; then
        echo "FAILED: $* (VESPERN_REQUIRE_SAMBA_TEST=1)" >&2
        exit 1
    fi
    echo "SKIPPED: $*" >&2
    exit 77
}

if [ "${VESPERN_IN_SAMBA_NAMESPACE:-}" != 1 ]; then
    [ "$(id -u)" = 0 ] || skip "the throwaway Samba server needs root (unshare of mount and network namespaces)"
    command -v unshare >/dev/null || skip "unshare (util-linux) is not installed"
    command -v ip >/dev/null || skip "ip (iproute2) is not installed"
    [ -x "$smbd" ] || skip "smbd is missing (tools/dev.sh test unpacks it into the build folder)"
    for tool in /usr/libexec/samba/samba-dcerpcd /usr/bin/smbpasswd; do
        [ -x "$tool" ] || skip "$tool is missing (Debian package samba-common-bin)"
    done
    /usr/bin/python3 -c 'import samba.dcerpc.initshutdown' 2>/dev/null ||
        skip "Samba's Python bindings are missing (Debian package python3-samba)"
    unshare --mount --net --pid --fork --mount-proc true 2>/dev/null ||
        skip "this machine does not allow new mount, network and process namespaces"
    exec env VESPERN_IN_SAMBA_NAMESPACE=1 timeout --kill-after=5 60 \
        unshare --mount --net --pid --fork --kill-child=SIGTERM --mount-proc "$0" "$@"
fi

set -e
root=$(mktemp -d /tmp/vespern-samba.XXXXXX)
# The mount namespace is private, but /tmp is shared with the host: clean up on the way out.
trap 'rm -rf "$root"' EXIT
# Ended from outside (the time limit): leave through the EXIT trap; as the namespace's first
# process ends, the kernel ends everything else in it.
trap 'exit 143' TERM
mkdir -p "$root"/{private,lock,state,cache,pid,ncalrpc,binddns,log,run}
mount --make-rprivate /
# Private folders over the two that Samba's helpers write to whatever the configuration says.
# One that the machine lacks is not made there: its parent is covered with an empty file system
# (in this namespace only) and the folder made in that.
cover() {
    if [ ! -d "$2" ]; then
        mount -t tmpfs -o mode=0755 vespern-samba "$(dirname "$2")"
        mkdir "$2"
    fi
    mount --bind "$1" "$2"
}
cover "$root/log" /var/log/samba
cover "$root/run" /run/samba
ip link set lo up

port=4455
user=root
password='Vespern-test-1'
conf="$root/smb.conf"
cat >"$conf" <<CONF
[global]
    workgroup = VESPERNTEST
    netbios name = VESPERNPEER
    server role = standalone server
    interfaces = lo
    bind interfaces only = yes
    smb ports = $port
    disable netbios = yes
    private dir = $root/private
    lock directory = $root/lock
    state directory = $root/state
    cache directory = $root/cache
    pid directory = $root/pid
    ncalrpc dir = $root/ncalrpc
    binddns dir = $root/binddns
    passdb backend = tdbsam:$root/private/passdb.tdb
    rpc start on demand helpers = no
    log file = $root/log/log.%m
    log level = 1 rpc_srv:10 rpc_parse:10
    # The request is only decoded and answered. Samba runs the script as root for an account
    # holding the shutdown right and as the account otherwise; this one changes nothing and
    # fails for an account that is not root, which the server reports as access denied.
    shutdown script = /usr/bin/test -w /
    load printers = no
    printing = bsd
    printcap name = /dev/null
CONF

# root holds every privilege; nobody lacks the one to shut the server down.
plain_user=nobody
plain_password='Vespern-test-2'
add_user() {
    if ! printf '%s\n%s\n' "$2" "$2" | smbpasswd -c "$conf" -s -a "$1" >>"$root/log/smbpasswd.out" 2>&1; then
        cat "$root/log/smbpasswd.out" >&2
        exit 1
    fi
}
add_user "$user" "$password"
add_user "$plain_user" "$plain_password"

/usr/libexec/samba/samba-dcerpcd --libexec-rpcds -F -s "$conf" </dev/null >"$root/log/dcerpcd.out" 2>&1 &
"$smbd" -F -s "$conf" </dev/null >"$root/log/smbd.out" 2>&1 &

ready() {
    # smbd listens (state 0A in /proc/net/tcp, port in hex) and samba-dcerpcd's helper serves
    # the InitShutdown pipe; until then a request would find no such pipe.
    grep -qi ":$(printf '%04X' "$port") 00000000:0000 0A" /proc/net/tcp /proc/net/tcp6 2>/dev/null &&
        [ -S "$root/ncalrpc/np/initshutdown" ]
}
for _ in $(seq 1 200); do
    ready && break
    sleep 0.05
done
if ! ready; then
    echo "the Samba server was not ready on port $port within 10 s" >&2
    cat "$root"/log/*.out >&2
    exit 1
fi

set +e
# In the background, so that the TERM trap runs at once rather than after the command.
VESPERN_SMB_PORT=$port VESPERN_TEST_SMB_USER=$user VESPERN_TEST_SMB_PASSWORD=$password \
    VESPERN_TEST_SMB_PLAIN_USER=$plain_user VESPERN_TEST_SMB_PLAIN_PASSWORD=$plain_password \
    VESPERN_TEST_SAMBA_LOGS="$root/log" "$@" &
wait $!
