#!/usr/bin/env bash
# netwalk on the Samba test network prints the tree Samba's own smbtree
# lists: the same workgroups and servers, in the same places and order.
# Run inside the network by run-in-network.sh. Usage: netwalk-vs-smbtree.sh NETWALK
set -euo pipefail
netwalk=$1

walked=$(WINNET_PROVIDERS=smb "$netwalk")
summary=$(tail -n1 <<<"$walked")
tree=$(sed '$d' <<<"$walked" | sed 's/  -- .*$//')

listed=$(smbtree --configfile="$SMBTREE_CONF" -U guest% -S)
expected=$(
    echo "network SMB Network"
    awk -F'\t' '/^[^\t]/ { w = $1; sub(/[ \t]+$/, "", w); print "  domain " w }
                /^\t\\\\/ { s = $2; sub(/[ \t]+$/, "", s); print "    server " s }' <<<"$listed"
)

status=0
if [ "$tree" != "$expected" ]; then
    echo "netwalk and smbtree differ (< netwalk, > smbtree):"
    diff <(echo "$tree") <(echo "$expected") || true
    status=1
fi
case $summary in
"# 6 records (2 domain, 1 network, 3 server), 0 failures, walked in "*" ms") ;;
*) echo "unexpected summary: $summary"; status=1 ;;
esac
[ "$status" = 0 ] && echo "netwalk agrees with smbtree:" && echo "$walked"
exit "$status"
