#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Builds Rondel and starts the desktop program from the build tree, beside its setting.ini,
# language and help files.
#   scripts/run.sh [FILE.dig]     the desktop program; arguments are passed to it
#   scripts/run.sh --demo [FILE]  the desktop program against a virtual radio, from build/demo/
#   scripts/run.sh --cli ARGS...  rondel-cli, the headless companion
# Only what is started is built (the program and its files; the virtual radio for --demo;
# rondel-cli for --cli), never the tests or the benchmarks.
# RONDEL_BUILD_DIR names another build folder (default build/).
set -euo pipefail
cd "$(dirname "$0")/.."
build=${RONDEL_BUILD_DIR:-build}

mode=gui
case "${1:-}" in
  --demo) mode=demo; shift ;;
  --cli) mode=cli; shift ;;
esac

bash scripts/setup.sh
cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null

if [ "$mode" = cli ]; then
  cmake --build "$build" -j "$(nproc)" --target rondel-cli rondel_runtime_files
  if [ $# -eq 0 ]; then exec "$build"/bin/rondel-cli --help; fi
  exec "$build"/bin/rondel-cli "$@"
fi

if [ "$mode" = gui ]; then
  cmake --build "$build" -j "$(nproc)" --target rondel
  exec "$build"/bin/rondel "$@"
fi
cmake --build "$build" -j "$(nproc)" --target rondel rondel-radiosim

# The demo: a folder of its own with a copy of the program (it finds its files beside its
# real path, so a link would not do), its own settings file whose COM1 is the virtual radio
# and whose test-mode password is "demo", and the radio's memory kept in a data file between
# runs.
demo="$(cd "$build" && pwd)/demo"
mkdir -p "$demo"
cp -f "$build"/bin/rondel "$demo/rondel"
cp -f "$build"/bin/*.lang "$demo/"
cp -f "$build"/bin/*.chm "$demo/" 2>/dev/null || true
language=$(grep -E '^language=' "$demo/setting.ini" 2>/dev/null | head -n 1 || true)
sed -e 's/^com=.*/com=1/' -e 's/^searchcom=.*/searchcom=0/' -e 's/^testpw=.*/testpw=demo/' \
  "$build"/bin/setting.ini > "$demo/setting.ini"
# The test mode's password of the demo (Programming > Test mode), named in the README.
grep -q '^testpw=' "$demo/setting.ini" || sed -i '/^\[setup\]/a testpw=demo' "$demo/setting.ini"
if [ -n "$language" ]; then
  sed -i "s/^; language=.*/$language/" "$demo/setting.ini"
fi
printf '\n; The demo'"'"'s virtual radio (scripts/run.sh --demo).\n[ports]\ncom1=%s\n' "$demo/radio" >> "$demo/setting.ini"

memory="$demo/radio-memory.dig"
load=()
[ -f "$memory" ] && load=(--load "$memory")
rm -f "$demo/radio"
"$build"/bin/rondel-radiosim --link "$demo/radio" "${load[@]}" --save "$memory" --pace --quiet \
  > "$demo/radio.log" 2>&1 &
radio=$!
stop_radio() {
  kill -INT "$radio" 2>/dev/null || true
  wait "$radio" 2>/dev/null || true
}
trap stop_radio EXIT
for _ in $(seq 50); do
  [ -e "$demo/radio" ] && break
  if ! kill -0 "$radio" 2>/dev/null; then
    cat "$demo/radio.log" >&2
    echo "run.sh: the virtual radio did not start" >&2
    exit 1
  fi
  sleep 0.1
done
[ -e "$demo/radio" ] || { echo "run.sh: the virtual radio made no device" >&2; exit 1; }
echo "demo: virtual radio on $(readlink "$demo/radio") as COM1; program folder $demo"
"$demo/rondel" "$@"
