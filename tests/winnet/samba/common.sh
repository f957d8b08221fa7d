# Shared by the Samba network scripts: sourced, not run.

# Exit code CTest treats as "skipped" (SKIP_RETURN_CODE 77).
readonly SKIP=77

skip() {
    echo "SKIPPED: $*" >&2
    exit "$SKIP"
}

die() {
    echo "samba network: $*" >&2
    exit 1
}

# Reasons this machine cannot host the network; empty when it can.
samba_network_unavailable() {
    if [ "$(id -u)" != 0 ]; then
        echo "needs root to create network namespaces (running as uid $(id -u))"
        return
    fi
    local tool
    for tool in ip unshare nmbd smbd smbtree mount timeout; do
        command -v "$tool" >/dev/null 2>&1 || {
            echo "needs '$tool' (packages samba, smbclient, iproute2, util-linux)"
            return
        }
    done
    [ -e "$(faketime_library)" ] || {
        echo "needs libfaketime (package libfaketime)"
        return
    }
}

faketime_library() {
    local lib
    for lib in /usr/lib/*/faketime/libfaketime.so.1 /usr/lib/faketime/libfaketime.so.1; do
        [ -e "$lib" ] && { echo "$lib"; return; }
    done
    echo /nonexistent/libfaketime.so.1
}

# Resolves a state argument: either the state directory itself or a file
# holding its path (what the CTest fixture passes around).
resolve_state_dir() {
    local arg=$1
    if [ -d "$arg" ]; then
        echo "$arg"
    elif [ -f "$arg" ]; then
        head -n1 "$arg"
    else
        echo ""
    fi
}

# Stops a PID only while it still lives in the given namespace, so a PID
# reused by an unrelated process after the daemon exited is never hit.
pid_in_netns() {
    local pid=$1 ns=$2
    [ -d "/proc/$pid" ] || return 1
    [ "$(ip netns identify "$pid" 2>/dev/null)" = "$ns" ]
}
