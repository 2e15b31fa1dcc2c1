#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Renders the program's pictures from their SVG sources in resources/icons/ into the PNG files
# committed beside them: the application icon at every size the desktop asks for, and the
# toolbar strip at its real size. Run it after changing an SVG; the build itself only reads
# the PNG files. Needs rsvg-convert (Debian package librsvg2-bin, in scripts/setup.sh).
set -euo pipefail
cd "$(dirname "$0")/../resources/icons"

if ! command -v rsvg-convert >/dev/null; then
  echo "render-icons: rsvg-convert is missing (apt-get install librsvg2-bin)" >&2
  exit 1
fi

# The small sizes come from a drawing with fewer details, made for a 16-pixel grid.
for size in 16 22 24; do
  rsvg-convert -w "$size" -h "$size" rondel-small.svg -o "rondel-$size.png"
done
for size in 32 48 64 128 256; do
  rsvg-convert -w "$size" -h "$size" rondel.svg -o "rondel-$size.png"
done
# Nine images of 16 by 15 pixels side by side.
rsvg-convert -w 144 -h 15 toolbar.svg -o toolbar.png
echo "render-icons: rondel-{16,22,24,32,48,64,128,256}.png and toolbar.png written"
