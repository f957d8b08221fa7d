#!/usr/bin/env bash
# Sets everything up, builds, and runs every test: the CTest suite, the sanitizer run of the
# streaming and hive tests, and a short bounded fuzz run of the description reader.
set -euo pipefail
here=$(cd "$(dirname "$0")/.." && pwd)
cd "$here"

"$here/scripts/setup.sh" "$here/build"
ctest --test-dir "$here/build" --output-on-failure --timeout 900 -LE bench

# AddressSanitizer and LeakSanitizer over the parts that parse input and own memory.
asan_tests="test_streaming test_packages test_registry test_db_login test_database test_database_mssql tst_controls"
CMAKE_ARGS="-DCORVANE_SANITIZE=ON" SKIP_APT=1 BUILD_TYPE=Debug \
  BUILD_TARGETS="$asan_tests samplepkg needypkg nofinpkg notapackage" "$here/scripts/setup.sh" "$here/build-asan"
ASAN_OPTIONS=detect_leaks=1 ctest --test-dir "$here/build-asan" --output-on-failure --timeout 600 \
  -R '^(streaming|packages|registry|db_login|db_component|db_mssql|controls)$'

# The reader under libFuzzer (clang), about a minute over the seed corpus.
CC=clang CXX=clang++ CMAKE_ARGS="-DCORVANE_FUZZ=ON -DCORVANE_WERROR=OFF -DCMAKE_CXX_FLAGS=-fsanitize=address,fuzzer-no-link" \
  SKIP_APT=1 BUILD_TYPE=RelWithDebInfo BUILD_TARGETS="fuzz_form_reader" "$here/scripts/setup.sh" "$here/build-fuzz"
corpus=$(mktemp -d)
cp "$here"/fuzz/form_reader/corpus/* "$corpus"/
"$here/build-fuzz/bin/fuzz_form_reader" -max_total_time=${FUZZ_SECONDS:-60} -timeout=10 -rss_limit_mb=2048 \
  -print_final_stats=1 "$corpus" 2>&1 | tail -n 15
rm -rf "$corpus"
echo "fuzz: clean"
