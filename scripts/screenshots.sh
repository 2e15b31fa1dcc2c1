#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Takes the README's screenshots: the main window and the port, language, about, progress,
# test-mode password and test-mode dialogs (the test mode also while it writes) in English and
# Chinese, drawn offscreen by the
# program's own code (a virtual radio stands in for the cable), saved as PNG files in
# docs/screenshots/; then the main window with every channel in use at 1024x768 and
# maximised on a 1920x1080 screen, in the default and a dark palette.
#   scripts/screenshots.sh                         all of them
#   scripts/screenshots.sh --palette dark --size 1024x768|maximised
#                                                  only that picture of the main window
set -euo pipefail
cd "$(dirname "$0")/.."

bash scripts/setup.sh
build=${RONDEL_BUILD_DIR:-build}
cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build "$build" -j "$(nproc)" --target rondel-screenshots rondel

home=$(mktemp -d)
trap 'rm -rf "$home"' EXIT
mkdir -p "$home/runtime"
chmod 700 "$home/runtime"

# shoot <screen width> <screen height> [--palette ...] [--size ...]: one run on a screen of
# that size (the main window fits its form on it as it would on a desktop's), with a fresh
# per-user folder.
shoot() {
  local width=$1 height=$2
  shift 2
  rm -rf "$home/config"
  mkdir -p "$home/config"
  cat > "$home/screen.json" <<JSON
{ "screens": [ { "name": "desk", "x": 0, "y": 0, "width": $width, "height": $height,
                 "logicalDpi": 96, "logicalBaseDpi": 96, "dpr": 1 } ] }
JSON
  HOME="$home" XDG_CONFIG_HOME="$home/config" XDG_RUNTIME_DIR="$home/runtime" LC_ALL=C.UTF-8 \
    QT_QPA_PLATFORM="offscreen:configfile=$home/screen.json" \
    "$build"/bin/rondel-screenshots "$build"/bin docs/screenshots "$@"
}

if [ $# -gt 0 ]; then
  shoot 1920 1080 "$@"
  exit 0
fi
shoot 1600 1200
for palette in default dark; do
  for size in 1024x768 maximised; do
    shoot 1920 1080 --palette "$palette" --size "$size"
  done
done
