# SPDX-License-Identifier: GPL-3.0-or-later
# What the fuzz stage of scripts/test.sh and the long runs of scripts/fuzz.sh share: the clang
# build of the fuzz targets, and the libFuzzer flags of a target. Sourced, not run.

# Builds every fuzz target into build-fuzz/fuzz/ (and, beside them, a clang build of the
# non-GUI tests, so code only GCC accepts fails here rather than in a user's clang build).
rondel_build_fuzzers() {
  CXX=clang++ cmake -S . -B build-fuzz -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DRONDEL_FUZZ=ON \
    -DRONDEL_WERROR=ON -DRONDEL_TESTS=ON -DRONDEL_BENCH=OFF -DRONDEL_GUI=OFF >/dev/null
  cmake --build build-fuzz -j "$(nproc)"
}

# rondel_fuzz_options NAME: fills the array fuzz_options with the target's flags, and
# fuzz_ci_options with those of CI's fixed-seed run only. Per target, in tests/fuzz:
# <target>.dict, <target>.options (libFuzzer flags on its first line, e.g. the largest input; a
# line "ci: FLAGS" for CI's run) and seeds/<target>/, real inputs and every input that ever
# crashed it.
rondel_fuzz_options() {
  local target="tests/fuzz/${1%_fuzz}" extra=() line
  fuzz_options=()
  fuzz_ci_options=()
  # Paths from the source root made whole: the targets work in a folder of their own.
  [ -f "$target.dict" ] && fuzz_options+=(-dict="$PWD/$target.dict")
  if [ -f "$target.options" ]; then
    read -ra extra < "$target.options"
    fuzz_options+=("${extra[@]}")
    line=$(grep -m1 '^ci:' "$target.options" || true)
    read -ra extra <<< "${line#ci:}"
    fuzz_ci_options+=("${extra[@]}")
  fi
  fuzz_seeds="$PWD/tests/fuzz/seeds/${1%_fuzz}"
}
