#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Builds Rondel and runs every test: the normal build, the same suite under the address and
# undefined-behaviour sanitizers, the radio link under the thread sanitizer, and a short run of
# each fuzz target that replays its kept inputs.
set -euo pipefail
cd "$(dirname "$0")/.."

bash scripts/setup.sh

jobs=$(nproc)
fuzz_runs=${RONDEL_FUZZ_RUNS:-20000}

echo "== build (RelWithDebInfo)"
cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DRONDEL_WERROR=ON -DRONDEL_BENCH=ON >/dev/null
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
  # The same commit always gives the same verdict: every kept input of every target is run
  # again, then a run of a fixed number of inputs from a fixed seed, in a corpus of its own.
  # Long random runs are scripts/fuzz.sh's.
  echo "== fuzz targets (clang, the kept inputs, then ${fuzz_runs} runs from seed 1)"
  source scripts/fuzz-common.sh
  rondel_build_fuzzers
  # Addresses reach the fuzzer's comparison tables; without address randomisation they are the
  # same on every run, and so is every input the run makes. No corpus reloads on a timer.
  fixed=()
  setarch "$(uname -m)" -R true 2>/dev/null && fixed=(setarch "$(uname -m)" -R)
  for fuzzer in build-fuzz/fuzz/*_fuzz; do
    [ -x "$fuzzer" ] || continue
    name=$(basename "$fuzzer")
    rondel_fuzz_options "$name"
    corpus="$PWD/build-fuzz/ci-corpus/$name"
    rm -rf "$corpus"
    mkdir -p "$corpus"
    seeds=()
    [ -d "$fuzz_seeds" ] && seeds=("$fuzz_seeds")
    echo "-- $name"
    if ! "${fixed[@]}" "$fuzzer" "${fuzz_options[@]}" "${fuzz_ci_options[@]}" -artifact_prefix="$PWD/build-fuzz/" -reload=0 -seed=1 \
        -runs="$fuzz_runs" "$corpus" "${seeds[@]}" > "build-fuzz/$name.log" 2>&1; then
      tail -n 40 "build-fuzz/$name.log"
      echo "fuzz target $name failed"
      exit 1
    fi
    tail -n 1 "build-fuzz/$name.log"
  done
fi

# The closing line the summary is read from.
echo "== all test stages passed"
