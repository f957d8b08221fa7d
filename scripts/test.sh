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

# The reader under libFuzzer (clang) over the seed corpus. A fixed seed and run count make the
# run repeatable, so a failure in CI is the same failure here; FUZZ_SEED and FUZZ_RUNS explore.
CC=clang CXX=clang++ CMAKE_ARGS="-DCORVANE_FUZZ=ON -DCORVANE_WERROR=OFF -DCMAKE_CXX_FLAGS=-fsanitize=address,fuzzer-no-link" \
  SKIP_APT=1 BUILD_TYPE=RelWithDebInfo BUILD_TARGETS="fuzz_form_reader" "$here/scripts/setup.sh" "$here/build-fuzz"
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
mkdir "$work/corpus"
cp "$here"/fuzz/form_reader/corpus/* "$work/corpus"/
if ! (cd "$work" && QT_HASH_SEED=0 "$here/build-fuzz/bin/fuzz_form_reader" -seed="${FUZZ_SEED:-1}" \
  -runs="${FUZZ_RUNS:-1000000}" -max_total_time=300 -timeout=10 -rss_limit_mb=2048 \
  -print_final_stats=1 corpus >fuzz.log 2>&1); then
  tail -n 80 "$work/fuzz.log"
  for crash in "$work"/crash-* "$work"/leak-* "$work"/timeout-* "$work"/oom-*; do
    [ -e "$crash" ] || continue
    echo "fuzz: failing input $(basename "$crash") as base64:"
    base64 "$crash"
  done
  echo "fuzz: FAILED"
  exit 1
fi
tail -n 8 "$work/fuzz.log"
echo "fuzz: clean"
