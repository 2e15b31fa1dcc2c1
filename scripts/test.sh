#!/usr/bin/env bash
# Builds Rondel and runs every test: the normal build, the same suite under the address and
# undefined-behaviour sanitizers, the radio link under the thread sanitizer, and a short run of
# each fuzz target.
set -euo pipefail
cd "$(dirname "$0")/.."

bash scripts/setup.sh

jobs=$(nproc)
fuzz_seconds=${RONDEL_FUZZ_SECONDS:-15}

echo "== build (RelWithDebInfo)"
cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DRONDEL_WERROR=ON >/dev/null
cmake --build build -j "$jobs"
echo "== tests"
ctest --test-dir build --output-on-failure -j "$jobs"

echo "== build with address and undefined-behaviour sanitizers"
cmake -S . -B build-asan -G Ninja -DCMAKE_BUILD_TYPE=Debug -DRONDEL_SANITIZE=ON -DRONDEL_BENCH=OFF \
  -DRONDEL_WERROR=ON >/dev/null
cmake --build build-asan -j "$jobs"
echo "== tests under sanitizers"
ASAN_OPTIONS=detect_leaks=1:abort_on_error=1 UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1 \
  ctest --test-dir build-asan --output-on-failure -j "$jobs"

echo "== radio link under the thread sanitizer"
bash scripts/test-tsan.sh

if command -v clang++ >/dev/null; then
  echo "== fuzz targets (clang, ${fuzz_seconds}s each)"
  CXX=clang++ cmake -S . -B build-fuzz -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DRONDEL_FUZZ=ON \
    -DRONDEL_WERROR=ON -DRONDEL_TESTS=ON -DRONDEL_BENCH=OFF -DRONDEL_GUI=OFF >/dev/null
  # Everything but the desktop program: besides the fuzz targets, a clang build of the tests,
  # so code only GCC accepts fails here rather than in a user's clang build.
  cmake --build build-fuzz -j "$jobs"
  for fuzzer in build-fuzz/fuzz/*_fuzz; do
    [ -x "$fuzzer" ] || continue
    name=$(basename "$fuzzer")
    corpus="build-fuzz/corpus/$name"
    mkdir -p "$corpus"
    # Per target, in tests/fuzz: <target>.dict, <target>.options (libFuzzer flags on its first
    # line, e.g. the largest input) and seeds/<target>/, real inputs the run starts from.
    target="tests/fuzz/${name%_fuzz}"
    options=(-artifact_prefix=build-fuzz/)
    [ -f "$target.dict" ] && options+=(-dict="$target.dict")
    [ -f "$target.options" ] && read -ra extra < "$target.options" && options+=("${extra[@]}")
    seeds=()
    [ -d "tests/fuzz/seeds/${name%_fuzz}" ] && seeds=("tests/fuzz/seeds/${name%_fuzz}")
    echo "-- $name"
    if ! "$fuzzer" "${options[@]}" -max_total_time="$fuzz_seconds" "$corpus" "${seeds[@]}" > "build-fuzz/$name.log" 2>&1; then
      tail -n 40 "build-fuzz/$name.log"
      echo "fuzz target $name failed"
      exit 1
    fi
    tail -n 1 "build-fuzz/$name.log"
  done
fi

# The closing line the summary is read from.
echo "== all test stages passed"
