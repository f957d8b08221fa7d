#!/usr/bin/env bash
# Stops a network made by start-network.sh: every recorded daemon and every
# process still inside its namespace (smbd's helpers leave the process tree),
# then removes the namespace and the state directory.
#
# Usage: stop-network.sh STATE_DIR | stop-network.sh --state-file FILE
set -uo pipefail
here=$(cd "$(dirname "$0")" && pwd)
. "$here/common.sh"

if [ "${1:-}" = --state-file ]; then
    [ -f "${2:-}" ] || exit 0 # never started
    arg=$(head -n1 "$2")
    rm -f "$2"
    case $arg in skip:*) exit 0 ;; esac
else
    arg=${1:-}
fi
state=$(resolve_state_dir "$arg")
[ -n "$state" ] && [ -f "$state/network.env" ] || die "no network state in '$arg' (expected the directory start-network.sh printed)"
. "$state/network.env"

network_pids() {
    local pid
    while read -r pid _; do
        pid_in_netns "$pid" "$NETNS" && echo "$pid"
    done <"$state/pids"
    for pid in $(ip netns pids "$NETNS" 2>/dev/null); do
        pid_in_netns "$pid" "$NETNS" && echo "$pid"
    done
}

signal_all() {
    local pid
    for pid in $(network_pids | sort -u); do
        kill "-$1" "$pid" 2>/dev/null
    done
}

if ip netns list | grep -qw "$NETNS"; then
    signal_all TERM
    for _ in $(seq 50); do
        [ -z "$(network_pids)" ] && break
        sleep 0.1
    done
    signal_all KILL
    for _ in $(seq 20); do
        [ -z "$(network_pids)" ] && break
        sleep 0.1
    done
    ip netns del "$NETNS" || die "cannot delete namespace $NETNS"
fi
rm -rf "$state"
