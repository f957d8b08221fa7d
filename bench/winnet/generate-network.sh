#!/usr/bin/env bash
# Writes a described network of DOMAINS workgroups with SERVERS servers each
# (names and comments like a real browse list) to stdout.
# Usage: generate-network.sh DOMAINS SERVERS
set -euo pipefail
awk -v domains="$1" -v servers="$2" 'BEGIN {
    for (d = 1; d <= domains; d++) {
        printf "domain DOMAIN%03d comment=MASTER%03d\n", d, d
        for (s = 1; s <= servers; s++)
            printf "    server \\\\D%03dS%04d comment=\"File server %d of domain %d\"\n", d, s, s, d
    }
}'
