#!/usr/bin/env bash
# Sets everything up, builds, and plays the typical run: the login form (and the server list
# behind its button) filling a database connection's parameters, then opening it.
set -euo pipefail
here=$(cd "$(dirname "$0")/.." && pwd)
"$here/scripts/setup.sh" "$here/build"
exec "$here/build/bin/demo" "$@"
