#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Builds the radio link's tests with the thread sanitizer and runs them: the transfer worker,
# the port it shares with the user-interface thread and the virtual radio are where a data
# race would hide. rondel-cli and rondel-radiosim are built the same way, so the end-to-end
# tests check them too (a report makes the program exit with the sanitizer's status).
set -euo pipefail
cd "$(dirname "$0")/.."

jobs=${RONDEL_JOBS:-$(nproc)}
cmake -S . -B build-tsan -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DRONDEL_BENCH=OFF -DRONDEL_GUI=OFF \
  -DRONDEL_WERROR=ON \
  -DCMAKE_CXX_FLAGS="-fsanitize=thread -fno-omit-frame-pointer" \
  -DCMAKE_EXE_LINKER_FLAGS="-fsanitize=thread" >/dev/null
cmake --build build-tsan -j "$jobs" --target rondel_link_tests rondel_tools_tests
export TSAN_OPTIONS="halt_on_error=1 second_deadlock_stack=1"
build-tsan/tests/rondel_link_tests
build-tsan/tests/rondel_tools_tests --gtest_filter='*CliRead*:*CliWrite*:*CliTransfer*:*CliFailure*:*RadioSim*:*CliFleet*'
echo "== thread sanitizer: radio link tests passed"
