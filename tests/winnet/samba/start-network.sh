#!/usr/bin/env bash
# Starts a private Samba network for tests: one network namespace whose
# loopback carries one address per host, and per host an nmbd and an smbd in
# their own mount namespace, so nothing of the machine's own Samba state is
# read or written. Waits until the browse list names every workgroup and
# server, then prints the state directory (and writes it to --state-file).
#
#   ALPHA  master ALPHA1 (127.0.0.2), member ALPHA2 (127.0.0.3)
#   BETA   master BETA1  (127.0.0.4)
#   the client walks from 127.0.0.10
#
# Usage: start-network.sh [--state-file FILE] [--deadline SECONDS]
# Exit: 0 ready, 77 this machine cannot host it (reason on stderr), 1 failure.
# Stop with stop-network.sh STATE_DIR (or the same --state-file).
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
. "$here/common.sh"

state_file=""
deadline=60
while [ $# -gt 0 ]; do
    case $1 in
    --state-file) state_file=$2; shift 2 ;;
    --deadline) deadline=$2; shift 2 ;;
    *) die "unknown argument '$1' (expected --state-file FILE or --deadline SECONDS)" ;;
    esac
done

record_skip() {
    [ -z "$state_file" ] || echo "skip: $*" >"$state_file"
    skip "$@"
}

# A network an interrupted run left behind is stopped, not leaked.
if [ -n "$state_file" ] && [ -f "$state_file" ]; then
    "$here/stop-network.sh" --state-file "$state_file" || true
fi
[ -z "$state_file" ] || rm -f "$state_file"
reason=$(samba_network_unavailable)
[ -z "$reason" ] || record_skip "$reason"

state=$(mktemp -d "${TMPDIR:-/tmp}/winnet-samba.XXXXXX")
# smbd serves guests as nobody, who must reach the browse list in the cache dir.
chmod 0755 "$state"
ns="winnet-$(basename "$state" | cut -d. -f2)"
if ! ip netns add "$ns" 2>"$state/netns.err"; then
    reason="cannot create a network namespace: $(cat "$state/netns.err")"
    rm -rf "$state"
    record_skip "$reason"
fi

cat >"$state/network.env" <<EOF
NETNS=$ns
CLIENT_HOME=$state/home
CLIENT_CONF=$state/home/.smb/smb.conf
WORKGROUPS="ALPHA BETA"
EOF
: >"$state/pids"

fail() {
    echo "samba network: $*" >&2
    for log in "$state"/hosts/*/log/*; do
        [ -f "$log" ] && [ -s "$log" ] || continue
        echo "--- last lines of $log" >&2
        tail -n 15 "$log" >&2 || true
    done
    "$here/stop-network.sh" "$state" || true
    exit 1
}
trap 'fail "interrupted while starting"' INT TERM

ip -n "$ns" link set lo up
for addr in 127.0.0.2 127.0.0.3 127.0.0.4 127.0.0.10; do
    ip -n "$ns" addr add "$addr/8" dev lo
done

write_server_conf() {
    local name=$1 workgroup=$2 addr=$3 role=$4 dir=$5 master=no level=0
    [ "$role" = master ] && { master=yes; level=65; }
    cat <<EOF
[global]
    workgroup = $workgroup
    netbios name = $name
    server string = $name file server
    interfaces = $addr/8
    bind interfaces only = yes
    server role = standalone server
    server min protocol = NT1
    ntlm auth = yes
    map to guest = Bad User
    restrict anonymous = 0
    guest account = nobody
    local master = $master
    preferred master = $master
    domain master = $master
    os level = $level
    dns proxy = no
    private dir = $dir/private
    state directory = $dir/state
    cache directory = $dir/cache
    lock directory = $dir/lock
    pid directory = $dir/pid
    ncalrpc dir = $dir/ncalrpc
    nmbd:socket dir = $dir/nmbd
    usershare path =
    log file = $dir/log/log.%m
    max log size = 0
    log level = 1
    load printers = no
    printing = bsd
    printcap name = /dev/null
    disable spoolss = yes

[public]
    comment = Public files of $name
    path = $dir/share
    guest ok = yes
    read only = yes

[hidden\$]
    comment = Not browsed
    path = $dir/share
    guest ok = yes
    read only = yes
EOF
}

# Runs one daemon in the namespace, inside a mount namespace of its own where
# Samba's default directories are empty tmpfs and /etc/samba/smb.conf is the
# host's file. The subshell execs all the way down, so $! is the daemon's PID.
# The daemons make their own session; a setsid here would make them fail.
start_daemon() {
    local dir=$1 daemon=$2
    shift 2
    (
        exec ip netns exec "$ns" unshare -m --propagation private sh -c '
            dir=$1; shift
            for d in /run/samba /var/lib/samba /var/cache/samba /var/log/samba; do
                mount -t tmpfs -o mode=0755 tmpfs "$d" || exit 1
            done
            mount --bind "$dir/smb.conf" /etc/samba/smb.conf || exit 1
            exec "$@"' sh "$dir" "$@"
    ) </dev/null >"$dir/log/$daemon.out" 2>&1 &
    echo "$! $(basename "$dir") $daemon" >>"$state/pids"
}

faketime=$(faketime_library)
hosts="ALPHA1:ALPHA:127.0.0.2:master ALPHA2:ALPHA:127.0.0.3:member BETA1:BETA:127.0.0.4:master"
for host in $hosts; do
    IFS=: read -r name workgroup addr role <<<"$host"
    dir=$state/hosts/$name
    mkdir -p "$dir"/{private,state,cache,lock,pid,ncalrpc,nmbd,log,share}
    chmod 0755 "$dir/nmbd"
    echo "This is $name." >"$dir/share/readme.txt"
    write_server_conf "$name" "$workgroup" "$addr" "$role" "$dir" >"$dir/smb.conf"
    # nmbd's election and announcement timers are fixed; 20x time makes the
    # browse list complete in a few seconds instead of half a minute.
    start_daemon "$dir" nmbd env LD_PRELOAD="$faketime" FAKETIME="+0 x20" /usr/sbin/nmbd -F
    start_daemon "$dir" smbd /usr/sbin/smbd -F
    echo "$workgroup $name" >>"$state/expected.txt"
done

mkdir -p "$state/home/.smb" "$state/client"/{private,state,cache,lock,pid,ncalrpc}
# The client's own file, as a user would have it: no protocol settings, so a
# walk that finds the browse list proves the library pins SMB1 itself.
write_client_conf() {
    cat <<EOF
[global]
    workgroup = WALKERS
    netbios name = WALKER
    interfaces = 127.0.0.10/8
    bind interfaces only = yes
    name resolve order = bcast
    private dir = $state/client/private
    state directory = $state/client/state
    cache directory = $state/client/cache
    lock directory = $state/client/lock
    pid directory = $state/client/pid
    ncalrpc dir = $state/client/ncalrpc
    log file = $state/client/log.%m
    load printers = no
EOF
}
write_client_conf >"$state/home/.smb/smb.conf"
# Samba's own tools read their protocol range from the file.
{
    write_client_conf
    echo "    client min protocol = NT1"
    echo "    client max protocol = NT1"
} >"$state/smbtree.conf"
echo "SMBTREE_CONF=$state/smbtree.conf" >>"$state/network.env"

# Ready when Samba's own browser lists every expected name in its place.
expected_tree() {
    sort "$state/expected.txt"
}
listed_tree() {
    timeout 15 ip netns exec "$ns" env HOME="$state/home" \
        smbtree --configfile="$state/smbtree.conf" -U guest% -S 2>/dev/null |
        awk -F'\t' '/^[^\t ]/ { wg = $1; sub(/[ \t]+$/, "", wg) }
                    /^\t\\\\/ { s = $2; sub(/^\\\\/, "", s); sub(/[ \t].*$/, "", s); print wg, s }' |
        sort || true
}

start=$(date +%s)
while :; do
    [ "$(listed_tree)" = "$(expected_tree)" ] && break
    while read -r pid host daemon; do
        pid_in_netns "$pid" "$ns" || fail "$daemon of $host (PID $pid) exited during start-up"
    done <"$state/pids"
    [ $(($(date +%s) - start)) -lt "$deadline" ] ||
        fail "browse list incomplete after ${deadline}s; expected: $(expected_tree | tr '\n' ';') listed: $(listed_tree | tr '\n' ';')"
    sleep 0.5
done
trap - INT TERM

[ -z "$state_file" ] || echo "$state" >"$state_file"
echo "$state"
