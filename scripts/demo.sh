#!/usr/bin/env bash
# Sets everything up, builds, and plays the typical run: the login form (and the server list
# behind its button) filling a database connection's parameters, then opening it.
# Arguments go to the demo (scripts/demo.sh --help lists them). Its exit status says whether
# the connection opened.
set -euo pipefail
here=$(cd "$(dirname "$0")/.." && pwd)
"$here/scripts/setup.sh" "$here/build"
status=0
"$here/build/bin/demo" "$@" || status=$?
if [ "$status" = 1 ]; then
  echo "(The run went through; the connection did not open because no database server answered."
  echo " To reach a real one, run with a display, or name it in a described network:"
  echo " --network FILE --pick SERVER --driver MSSQL|PGSQL --user NAME --password TEXT.)"
fi
exit "$status"
