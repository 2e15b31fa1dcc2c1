#!/usr/bin/env bash
# Takes the README's screenshots: the main window and the port, language, about, progress,
# test-mode password and test-mode dialogs (the test mode also while it writes) in English and
# Chinese, drawn offscreen by the
# program's own code (a virtual radio stands in for the cable), saved as PNG files in
# docs/screenshots/.
set -euo pipefail
cd "$(dirname "$0")/.."

bash scripts/setup.sh
build=${RONDEL_BUILD_DIR:-build}
cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build "$build" -j "$(nproc)" --target rondel-screenshots rondel

home=$(mktemp -d)
trap 'rm -rf "$home"' EXIT
mkdir -p "$home/config" "$home/runtime"
chmod 700 "$home/runtime"
# A screen the size of a desktop's, so the main window fits its form as it would there.
cat > "$home/screen.json" <<'JSON'
{ "screens": [ { "name": "desk", "x": 0, "y": 0, "width": 1600, "height": 1200,
                 "logicalDpi": 96, "logicalBaseDpi": 96, "dpr": 1 } ] }
JSON
HOME="$home" XDG_CONFIG_HOME="$home/config" XDG_RUNTIME_DIR="$home/runtime" LC_ALL=C.UTF-8 \
  QT_QPA_PLATFORM="offscreen:configfile=$home/screen.json" \
  "$build"/bin/rondel-screenshots "$build"/bin docs/screenshots
