#!/usr/bin/env bash
# Renders the program's PNG icons from the drawing (needs librsvg2-bin).
# The PNGs are kept in the repository so that building needs no renderer.
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
for size in 16 24 32 48 64 128 256; do
    rsvg-convert -w "$size" -h "$size" "$here/icons/org.quelto.Quelto.svg" -o "$here/icons/org.quelto.Quelto-$size.png"
done
