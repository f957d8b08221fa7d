#!/usr/bin/env bash
# Benchmark of the network walk (netwalk, which walks as the server list does):
#  1. a described network of 100 domains x 1,000 servers;
#  2. the private Samba network of the tests, beside Samba's own smbtree on
#     the same network (servers only: smbtree -S; and with shares: smbtree).
# Prints the median of RUNS runs of each, in milliseconds of wall time (and
# the walk's own time as netwalk reports it), and the ratio smbtree/netwalk.
#
# Usage: run-bench.sh NETWALK [RUNS]   (root for the Samba part; skipped otherwise)
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
samba=$here/../../tests/winnet/samba
netwalk=$1
runs=${2:-5}
work=$(mktemp -d)
state=""
cleanup() {
    [ -z "$state" ] || "$samba/stop-network.sh" "$state" || true
    rm -rf "$work"
}
trap cleanup EXIT

now_ms() { echo $(($(date +%s%N) / 1000000)); }

median() { sort -n | awk '{ v[NR] = $1 } END { print (NR % 2) ? v[(NR + 1) / 2] : (v[NR / 2] + v[NR / 2 + 1]) / 2 }'; }

# Runs "$@" RUNS times; prints "WALL_MEDIAN_MS WALK_MEDIAN_MS" (walk time only
# from netwalk's summary line, "-" otherwise). Output checked by the caller.
measure() {
    local i start wall walk
    : >"$work/wall" && : >"$work/walk"
    for i in $(seq "$runs"); do
        start=$(now_ms)
        "$@" >"$work/out" 2>"$work/err" || {
            echo "benchmark command failed: $*" >&2
            cat "$work/err" >&2
            exit 1
        }
        echo $(($(now_ms) - start)) >>"$work/wall"
        walk=$(sed -n 's/^# .* walked in \([0-9.]*\) ms$/\1/p' "$work/out")
        [ -z "$walk" ] || echo "$walk" >>"$work/walk"
    done
    wall=$(median <"$work/wall")
    if [ -s "$work/walk" ]; then walk=$(median <"$work/walk"); else walk=-; fi
    echo "$wall $walk"
}

row() { printf '%-44s %10s %12s %10s %8s\n' "$@"; }

echo "Network walk benchmark, median of $runs runs (ms)"
row "network" "netwalk" "(walk only)" "smbtree" "ratio"

"$here/generate-network.sh" 100 1000 >"$work/large.txt"
r=$(WINNET_PROVIDERS=described WINNET_DESCRIBED_NETWORK="$work/large.txt" \
    measure "$netwalk" --quiet)
read -r wall walk <<<"$r"
grep -q '^# 100101 records (100 domain, 1 network, 100000 server), 0 failures' "$work/out" || {
    echo "unexpected walk of the described network: $(cat "$work/out")" >&2
    exit 1
}
row "described: 100 domains x 1,000 servers" "$wall" "$walk" "n/a" "n/a"

if ! state=$("$samba/start-network.sh" 2>"$work/start.err"); then
    state=""
    echo "Samba network skipped: $(tail -n1 "$work/start.err")"
    exit 0
fi
. "$state/network.env"
in_network() { ip netns exec "$NETNS" env HOME="$CLIENT_HOME" WINNET_PROVIDERS=smb "$@"; }

r=$(measure in_network "$netwalk" --quiet)
read -r wall walk <<<"$r"
grep -q '^# 6 records (2 domain, 1 network, 3 server), 0 failures' "$work/out" || {
    echo "unexpected walk of the Samba network: $(cat "$work/out")" >&2
    exit 1
}
r=$(measure in_network smbtree --configfile="$SMBTREE_CONF" -U guest% -S)
read -r tree _ <<<"$r"
row "Samba: 2 workgroups, 3 servers" "$wall" "$walk" "$tree" "$(awk -v a="$tree" -v b="$wall" 'BEGIN { printf "%.2f", a / b }')"

r=$(measure in_network "$netwalk" --quiet --all)
read -r wall walk <<<"$r"
r=$(measure in_network smbtree --configfile="$SMBTREE_CONF" -U guest%)
read -r tree _ <<<"$r"
row "Samba, with shares (--all / no -S)" "$wall" "$walk" "$tree" "$(awk -v a="$tree" -v b="$wall" 'BEGIN { printf "%.2f", a / b }')"
