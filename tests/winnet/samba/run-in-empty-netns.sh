#!/usr/bin/env bash
# Runs a command in a network namespace of its own with nothing on it but
# the client's own address on loopback, as a client whose smb.conf browses by
# broadcast there: a live network with no servers on it. The namespace and any process left in it are removed afterwards.
#
# Usage: run-in-empty-netns.sh COMMAND [ARG]...
# Exits 77 (skipped) when this machine cannot make a namespace, with the reason.
set -uo pipefail
here=$(cd "$(dirname "$0")" && pwd)
. "$here/common.sh"

[ $# -ge 1 ] || die "usage: run-in-empty-netns.sh COMMAND [ARG]..."
[ "$(id -u)" = 0 ] || skip "needs root to create a network namespace (running as uid $(id -u))"
command -v ip >/dev/null || skip "needs 'ip' (package iproute2)"

home=$(mktemp -d "${TMPDIR:-/tmp}/winnet-empty.XXXXXX")
ns="winnet-empty-$(basename "$home" | cut -d. -f2)"
ip netns add "$ns" 2>"$home/netns.err" || {
    reason=$(cat "$home/netns.err")
    rm -rf "$home"
    skip "cannot create a network namespace: $reason"
}
cleanup() {
    local pid
    for pid in $(ip netns pids "$ns" 2>/dev/null); do
        pid_in_netns "$pid" "$ns" && kill -KILL "$pid" 2>/dev/null
    done
    ip netns del "$ns" 2>/dev/null
    rm -rf "$home"
}
trap cleanup EXIT
ip -n "$ns" link set lo up
ip -n "$ns" addr add 127.0.0.10/8 dev lo
mkdir -p "$home/.smb" "$home/samba"
cat >"$home/.smb/smb.conf" <<CONF
[global]
    workgroup = WALKERS
    netbios name = WALKER
    interfaces = 127.0.0.10/8
    bind interfaces only = yes
    name resolve order = bcast
    private dir = $home/samba
    state directory = $home/samba
    cache directory = $home/samba
    lock directory = $home/samba
    pid directory = $home/samba
    ncalrpc dir = $home/samba
    log file = $home/samba/log.%m
CONF
ip netns exec "$ns" env HOME="$home" "$@"
