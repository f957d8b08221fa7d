#!/usr/bin/env bash
# netwalk on a described network prints each record indented by depth with
# its display type and comment, then a summary; a malformed file is refused
# on stderr with its line. Usage: netwalk-described.sh NETWALK
set -euo pipefail
netwalk=$1
dir=$(mktemp -d)
trap 'rm -rf "$dir"' EXIT

cat >"$dir/network.txt" <<'NET'
domain ALPHA comment="First floor"
    server \\ALPHA1 comment="File server"
        share \\ALPHA1\public
    server \\ALPHA2
domain BETA open-error=1222
generic "Lab machines" enum-error=59 enum-error-after=1
    server \\LAB1
    server \\LAB2
server \\LONELY
domain Ünïcødé
    server \\Sérvér
NET
export WINNET_PROVIDERS=described WINNET_DESCRIBED_NETWORK="$dir/network.txt"

status=0
check() { # name expected actual
    if [ "$2" != "$3" ]; then
        echo "$1 differs (< expected, > printed):"
        diff <(echo "$2") <(echo "$3") || true
        status=1
    fi
}

out=$("$netwalk")
check "tree" 'network Described Network
  domain ALPHA  -- First floor
    server \\ALPHA1  -- File server
    server \\ALPHA2
  domain BETA
    ! cannot open: error 1222
  generic Lab machines
    server \\LAB1
    ! listing stopped: error 59
  server \\LONELY
  domain Ünïcødé
    server \\Sérvér' "$(sed '$d' <<<"$out")"
check "summary" "# 10 records (3 domain, 1 generic, 1 network, 5 server), 2 failures, walked in" \
    "$(tail -n1 <<<"$out" | sed 's/ [0-9.]* ms$//')"

out=$("$netwalk" --all | grep " share ")
check "shares with --all" '      share \\ALPHA1\public' "$out"

# A record larger than netwalk's 1312-byte buffer is fetched again with a larger
# one, and the records after it are still listed.
long=$(printf 'x%.0s' {1..1400})
printf 'domain A comment="%s"\ndomain B\ndomain C\n' "$long" >"$dir/network.txt"
out=$("$netwalk")
check "tree with a record larger than the buffer" "network Described Network
  domain A  -- $long
  domain B
  domain C" "$(sed '$d' <<<"$out")"
check "summary with a record larger than the buffer" \
    "# 4 records (3 domain, 1 network), 0 failures, walked in" \
    "$(tail -n1 <<<"$out" | sed 's/ [0-9.]* ms$//')"

printf 'domain A\n    server\n' >"$dir/network.txt"
set +e
out=$("$netwalk" 2>"$dir/err")
code=$?
set -e
check "exit code for a malformed file" 1 "$code"
check "stdout for a malformed file" "" "$out"
check "message for a malformed file" \
    "netwalk: cannot open the network: $dir/network.txt:2: expected a name after server, found the end of the line (error 11, Described Network)" \
    "$(cat "$dir/err")"
exit "$status"
