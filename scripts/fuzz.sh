#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Fuzzes one target for as long as asked, with a new random seed each time: the exploratory runs
# developers make before they stop (CI only replays the seeds and makes a short run with a
# fixed seed). Usage: scripts/fuzz.sh TARGET MINUTES [WORKERS]
#   TARGET   help_file, data_file, profile, radio_reply or channel_csv (with or without _fuzz)
# The corpus grows in build-fuzz/corpus/TARGET and is kept between runs; a crash, time-out or
# out-of-memory input lands in build-fuzz/crashes/. Each one found goes into
# tests/fuzz/seeds/TARGET/ (named after what is wrong with it), and where it shows a rule, into
# a unit test as well.
set -euo pipefail
cd "$(dirname "$0")/.."

if [ $# -lt 2 ] || ! [[ $2 =~ ^[0-9]+$ ]]; then
  echo "usage: scripts/fuzz.sh TARGET MINUTES [WORKERS]" >&2
  exit 64
fi
name=${1%_fuzz}_fuzz
minutes=$2
workers=${3:-1}
source scripts/fuzz-common.sh

rondel_build_fuzzers >/dev/null
fuzzer="build-fuzz/fuzz/$name"
if [ ! -x "$fuzzer" ]; then
  echo "fuzz.sh: no target $name; there are: $(cd build-fuzz/fuzz && ls -- *_fuzz | tr '\n' ' ')" >&2
  exit 64
fi
rondel_fuzz_options "$name"
corpus="$PWD/build-fuzz/corpus/$name"
crashes="$PWD/build-fuzz/crashes"
mkdir -p "$corpus" "$crashes"
seeds=()
[ -d "$fuzz_seeds" ] && seeds=("$fuzz_seeds")
log="build-fuzz/$name-long.log"

stamp="build-fuzz/$name-long.start"
touch "$stamp"
echo "fuzz.sh: $name for $minutes min on $workers worker(s); log in $log"
status=0
fork=()
[ "$workers" -gt 1 ] && fork=(-fork="$workers" -ignore_crashes=1 -ignore_timeouts=1 -ignore_ooms=1)
"$fuzzer" "${fuzz_options[@]}" "${fork[@]}" -artifact_prefix="$crashes/$name-" -print_final_stats=1 \
  -max_total_time=$((minutes * 60)) "$corpus" "${seeds[@]}" > "$log" 2>&1 || status=$?

grep -E '^stat::number_of_executed_units|^stat::peak_rss_mb|^#[0-9]+.*DONE' "$log" | tail -n 3 || true
mapfile -t new < <(find "$crashes" -name "$name-*" -newer "$stamp")
if [ "$status" -ne 0 ] || [ ${#new[@]} -gt 0 ]; then
  echo "fuzz.sh: $name found ${#new[@]} input(s) that fail:"
  printf '  %s\n' "${new[@]}"
  echo "Keep each as a seed: cp INPUT $fuzz_seeds/<what_is_wrong>; then mend the code and add a unit test."
  exit 1
fi
echo "fuzz.sh: $name ran $minutes min without a crash, time-out or out-of-memory"
