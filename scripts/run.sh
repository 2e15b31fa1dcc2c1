#!/usr/bin/env bash
# Builds Rondel and starts it from the build tree (beside its setting.ini and language files).
# Until the desktop program lands this starts rondel-cli; arguments are passed through.
set -euo pipefail
cd "$(dirname "$0")/.."

bash scripts/setup.sh
cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build build -j "$(nproc)" --target rondel-cli rondel_runtime_files
if [ $# -eq 0 ]; then
  exec build/bin/rondel-cli --help
fi
exec build/bin/rondel-cli "$@"
