#!/usr/bin/env bash
# The server list over described networks of growing size, beside a bare Qt tree widget.
set -euo pipefail
bench=$1
export XDG_RUNTIME_DIR=${XDG_RUNTIME_DIR:-$(mktemp -d)}
printf '%-8s %9s %11s %11s %10s %9s\n' shape nodes list-ms floor-ms ratio peak-MB
for shape in "10 100" "100 100" "100 1000"; do
  set -- $shape
  read -r _ nodes list_ms list_kb < <("$bench" list "$1" "$2")
  read -r _ _ floor_ms floor_kb < <("$bench" floor "$1" "$2")
  awk -v s="${1}x${2}" -v n="$nodes" -v l="$list_ms" -v f="$floor_ms" -v lk="$list_kb" -v fk="$floor_kb" \
    'BEGIN { printf "%-8s %9d %11.1f %11.1f %10.2f %4.0f/%-4.0f\n", s, n, l, f, l / f, lk / 1024, fk / 1024 }'
done
