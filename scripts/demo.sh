#!/usr/bin/env bash
# Sets everything up, builds, and plays the typical run: the login form (and the server list
# behind its button) filling a database connection's parameters, then opening it.
# Arguments go to the demo (scripts/demo.sh --help lists them). Its exit status says whether
# the connection opened.
#
# With no arguments and no display, the run needs a database server that answers: a throwaway
# PostgreSQL server on 127.0.0.1 is started for it, listed in the demo's network as
# "localhost,PORT", and stopped again at the end.
set -euo pipefail
here=$(cd "$(dirname "$0")/.." && pwd)
"$here/scripts/setup.sh" "$here/build"

args=("$@")
if [ $# = 0 ] && [ -z "${DISPLAY:-}${WAYLAND_DISPLAY:-}" ]; then
  work=$(mktemp -d)
  state="$work/postgres.env"
  cleanup() {
    "$here/tests/db/postgres/stop-server.sh" "$state" >/dev/null 2>&1 || true
    rm -rf "$work"
  }
  trap cleanup EXIT
  if "$here/tests/db/postgres/start-server.sh" "$state"; then
    PGPORT=$(sed -n 's/^PGPORT=//p' "$state")
    CORVANE_DEMO_PASSWORD=$(sed -n 's/^PGPASSWORD=//p' "$state")
    export CORVANE_DEMO_PASSWORD
    server="localhost,$PGPORT"
    cat >"$work/network.txt" <<NET
# the demo's network: its database server is the throwaway PostgreSQL server
domain CORVANE comment="Demo domain"
    server \\\\$server comment="This machine's PostgreSQL"
    server \\\\SQLPROD comment="Production"
    server \\\\SQLTEST comment="Tests"
domain WORKGROUP
    server \\\\FILES
    server \\\\PRINTERS
NET
    args=(--driver PGSQL --database postgres --network "$work/network.txt" --pick "$server"
      --user postgres)
  else
    echo "(No PostgreSQL server could be started: the run goes on without a database server.)"
  fi
fi

status=0
"$here/build/bin/demo" "${args[@]}" || status=$?
if [ "$status" = 1 ]; then
  echo "(The run went through; the connection did not open because no database server answered."
  echo " To reach a real one, run with a display, or name it in a described network:"
  echo " --network FILE --pick SERVER --driver MSSQL|PGSQL --user NAME, and the password in"
  echo " \$CORVANE_DEMO_PASSWORD.)"
fi
exit "$status"
