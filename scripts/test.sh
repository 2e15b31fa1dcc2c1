#!/usr/bin/env bash
# Builds Rondel and runs every test: the normal build, the same suite under the address and
# undefined-behaviour sanitizers, and a short run of each fuzz target.
set -euo pipefail
cd "$(dirname "$0")/.."

bash scripts/setup.sh

jobs=$(nproc)
fuzz_seconds=${RONDEL_FUZZ_SECONDS:-15}

echo "== build (RelWithDebInfo)"
cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build build -j "$jobs"
echo "== tests"
ctest --test-dir build --output-on-failure -j "$jobs"

echo "== build with address and undefined-behaviour sanitizers"
cmake -S . -B build-asan -G Ninja -DCMAKE_BUILD_TYPE=Debug -DRONDEL_SANITIZE=ON -DRONDEL_BENCH=OFF >/dev/null
cmake --build build-asan -j "$jobs"
echo "== tests under sanitizers"
ASAN_OPTIONS=detect_leaks=1:abort_on_error=1 UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1 \
  ctest --test-dir build-asan --output-on-failure -j "$jobs"

if command -v clang++ >/dev/null; then
  echo "== fuzz targets (clang, ${fuzz_seconds}s each)"
  CXX=clang++ cmake -S . -B build-fuzz -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DRONDEL_FUZZ=ON \
    -DRONDEL_TESTS=ON -DRONDEL_BENCH=OFF >/dev/null
  cmake --build build-fuzz -j "$jobs" --target rondel_fuzzers
  for fuzzer in build-fuzz/bin/*_fuzz; do
    [ -x "$fuzzer" ] || continue
    corpus="build-fuzz/corpus/$(basename "$fuzzer")"
    mkdir -p "$corpus"
    echo "-- $(basename "$fuzzer")"
    "$fuzzer" -max_total_time="$fuzz_seconds" -print_final_stats=0 "$corpus" 2>&1 | tail -n 2
  done
fi

# The closing line the summary is read from.
echo "== all test stages passed"
