#!/usr/bin/env bash
# Starts a throwaway PostgreSQL cluster for the tests: a new cluster in a temporary folder, run
# as the postgres user (as the current user when not root), listening on 127.0.0.1 only, on a
# free port, with a random superuser password.
# Usage: start-server.sh STATE_FILE
# Writes STATE_FILE (mode 0600) as shell assignments: PGHOST PGPORT PGUSER PGPASSWORD
# PGDATABASE, and PG_DIR and PG_PID for stop-server.sh.
# Exit status 77 (skipped) when no PostgreSQL server can run here, with the reason printed.
set -euo pipefail
state=${1:?usage: start-server.sh STATE_FILE}

bindir=${PG_BINDIR:-$(ls -d /usr/lib/postgresql/*/bin 2>/dev/null | sort -V | tail -n 1 || true)}
if [ -z "$bindir" ] || [ ! -x "$bindir/initdb" ] || [ ! -x "$bindir/pg_ctl" ]; then
  echo "SKIP: no PostgreSQL server binaries (initdb, pg_ctl) under /usr/lib/postgresql/*/bin; install the postgresql package"
  exit 77
fi
as=()
if [ "$(id -u)" = 0 ]; then
  if ! id postgres >/dev/null 2>&1; then
    echo "SKIP: running as root, but there is no postgres user to run the server as"
    exit 77
  fi
  as=(runuser -u postgres --)
fi

rm -f "$state"
mkdir -p "$(dirname "$state")"
dir=$(mktemp -d "${TMPDIR:-/tmp}/test-postgres.XXXXXX")
chmod 700 "$dir"
[ "$(id -u)" = 0 ] && chown postgres: "$dir"
cleanup_on_failure() {
  [ -f "$dir/log" ] && { echo "--- server log:"; tail -n 30 "$dir/log"; }
  "${as[@]}" "$bindir/pg_ctl" -D "$dir/data" -m immediate stop >/dev/null 2>&1 || true
  rm -rf "$dir"
}
trap cleanup_on_failure ERR

password=$(od -An -tx1 -N16 /dev/urandom | tr -d ' \n')
(umask 077; printf '%s\n' "$password" >"$dir/pwfile")
[ "$(id -u)" = 0 ] && chown postgres: "$dir/pwfile"
"${as[@]}" "$bindir/initdb" -D "$dir/data" -U postgres --pwfile="$dir/pwfile" \
  --auth=scram-sha-256 -E UTF8 --locale=C.UTF-8 >"$dir/initdb.log" 2>&1 ||
  { cat "$dir/initdb.log"; false; }
rm -f "$dir/pwfile"

# A random port; when it is taken the start fails and another one is tried.
started=
for attempt in 1 2 3 4 5 6 7 8; do
  port=$((20000 + RANDOM % 40000))
  if "${as[@]}" "$bindir/pg_ctl" -D "$dir/data" -l "$dir/log" -w -t 60 \
      -o "-c listen_addresses=127.0.0.1 -c port=$port -c unix_socket_directories=$dir -c fsync=off" \
      start >/dev/null 2>&1; then
    started=1
    break
  fi
done
if [ -z "$started" ]; then
  echo "FAILED: the PostgreSQL server did not start (8 ports tried)"
  false
fi
pid=$(head -n 1 "$dir/data/postmaster.pid")

tmp="$state.tmp"
(umask 077; cat >"$tmp" <<STATE
PGHOST=127.0.0.1
PGPORT=$port
PGUSER=postgres
PGPASSWORD=$password
PGDATABASE=postgres
PG_DIR=$dir
PG_PID=$pid
STATE
)
mv "$tmp" "$state"
trap - ERR
echo "$("$bindir/postgres" --version) running on 127.0.0.1:$port (pid $pid, cluster $dir)"
