#!/usr/bin/env bash
# Stops the server that start-server.sh started, by its PID, and removes its cluster.
# Usage: stop-server.sh STATE_FILE
set -euo pipefail
state=${1:?usage: stop-server.sh STATE_FILE}
if [ ! -f "$state" ]; then
  echo "no PostgreSQL test server to stop ($state does not exist)"
  exit 0
fi
PG_PID=$(sed -n 's/^PG_PID=//p' "$state")
PG_DIR=$(sed -n 's/^PG_DIR=//p' "$state")

# Only a postmaster of our own cluster is signalled, never a process that reused the PID.
ours() {
  [ -n "$PG_PID" ] && [ -r "/proc/$PG_PID/cmdline" ] &&
    tr '\0' ' ' <"/proc/$PG_PID/cmdline" | grep -q -- "$PG_DIR/data"
}
if ours; then
  kill -INT "$PG_PID" # fast shutdown
  for _ in $(seq 1 300); do
    ours || break
    sleep 0.1
  done
  if ours; then
    echo "the server (pid $PG_PID) did not stop within 30 s; killing it"
    kill -KILL "$PG_PID" || true
  fi
fi
case "$PG_DIR" in
  */test-postgres.*) rm -rf "$PG_DIR" ;;
esac
rm -f "$state"
echo "PostgreSQL test server stopped"
