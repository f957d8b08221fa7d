#!/usr/bin/env bash
# Runs a command inside a network made by start-network.sh, as its client:
# in the namespace, with HOME holding the client's smb.conf. The command sees
#   SAMBA_NETWORK_STATE  the state directory (network.env, expected.txt)
#   SMBTREE_CONF         a configuration for Samba's own client tools
# expected.txt lists "WORKGROUP SERVER" per server.
#
# Usage: run-in-network.sh STATE_DIR|STATE_FILE COMMAND [ARG]...
# Exits 77 (skipped) when the network could not be started, with the reason.
set -uo pipefail
here=$(cd "$(dirname "$0")" && pwd)
. "$here/common.sh"

[ $# -ge 2 ] || die "usage: run-in-network.sh STATE_DIR|STATE_FILE COMMAND [ARG]..."
arg=$1
shift
if [ -f "$arg" ] && head -n1 "$arg" | grep -q '^skip: '; then
    skip "the Samba test network was not started: $(head -n1 "$arg" | cut -c7-)"
fi
state=$(resolve_state_dir "$arg")
if [ -z "$state" ] || [ ! -f "$state/network.env" ]; then
    reason=$(samba_network_unavailable)
    [ -n "$reason" ] && skip "the Samba test network cannot run here: $reason"
    die "no Samba test network at '$arg' (expected the state that start-network.sh wrote; is the samba_network fixture set up?)"
fi
. "$state/network.env"
exec ip netns exec "$NETNS" env HOME="$CLIENT_HOME" SAMBA_NETWORK_STATE="$state" \
    SMBTREE_CONF="$SMBTREE_CONF" "$@"
