#!/usr/bin/env bash
# Renders the program's icon, resources/images/tonara.svg, into the PNGs that are
# compiled in and installed beside it. Run after changing the SVG; commit the PNGs.
# Needs rsvg-convert (librsvg2-bin).
set -euo pipefail
cd "$(dirname "$0")/../resources/images"
for size in 48 128 256; do
  rsvg-convert -w "$size" -h "$size" tonara.svg -o "tonara-$size.png"
done
