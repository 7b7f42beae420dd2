#!/bin/sh
# Renders the committed PNG icons from vektrano.svg. Run it after changing the SVG;
# the build installs the committed files, so it needs no SVG renderer.
set -eu
cd "$(dirname "$0")/icons"
for size in 16 32 48 64 128 256; do
    rsvg-convert --width "$size" --height "$size" vektrano.svg --output "vektrano-$size.png"
done
