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
  echo "(The run itself went through; the connection did not open because no database server"
  echo " answered. Point it at one, e.g. --driver PGSQL --pick <server> --user <name> --password <pw>.)"
fi
exit "$status"
