#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Runs the dialogs' GUI tests on a real X server (Xvfb) instead of Qt's offscreen platform:
# the same tests, with the program on the xcb platform, so window placement, focus and the
# platform's own dialogs behave as on a desktop.
#   scripts/xvfb-check.sh [GTEST_FILTER]   default: the test mode, transfer, command, form and
#   undo tests
# RONDEL_BUILD_DIR names another build folder (default build/). CI keeps the offscreen run.
set -euo pipefail
cd "$(dirname "$0")/.."

bash scripts/setup.sh
build=${RONDEL_BUILD_DIR:-build}
cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DRONDEL_WERROR=ON >/dev/null
cmake --build "$build" -j "$(nproc)" --target rondel_gui_tests

filter=${1:-'TestModeTest.*:TransferDialog.*:Commands.*:DialogTemplates.*:EditHistoryTest.*:FormEdit.*'}
home=$(mktemp -d)
trap 'rm -rf "$home"' EXIT
mkdir -p "$home/runtime"
chmod 700 "$home/runtime"
# With a window manager (openbox, when installed) windows are activated as on a desktop; without
# one, a window that asks for the focus may never be given it.
HOME="$home" XDG_RUNTIME_DIR="$home/runtime" RONDEL_TEST_QPA=xcb \
  xvfb-run -a -s "-screen 0 1600x1200x24" bash -c '
    if command -v openbox >/dev/null; then openbox >/dev/null 2>&1 & sleep 1; fi
    exec "$0" --gtest_filter="$1"' "$build"/tests/rondel_gui_tests "$filter"
