#!/bin/sh
# Draws docs/layer-map-dialog.png: the window's layer map dialog under Xvfb, on a
# board drawing. Needs xvfb (Debian package xvfb). The settings go to a folder of
# their own, so the dialog shows the suggestions and not the user's map.
#   tools/screenshot-layer-map.sh [BUILD_DIR] [DRAWING.dxf]
set -eu
root=$(cd "$(dirname "$0")/.." && pwd)
build=${1:-$root/build/default}
drawing=${2:-$root/../shared/dxf-samples/elektroclub__outline.dxf}

cmake --build "$build" --target vektrano_layer_map_screenshot
mkdir -p /tmp/vektrano/settings
cp "$drawing" /tmp/vektrano/board.dxf
XDG_CONFIG_HOME=/tmp/vektrano/settings QT_QPA_PLATFORM=xcb \
    xvfb-run -a -s "-screen 0 1024x768x24 -dpi 96" \
    "$build/tests/window/vektrano_layer_map_screenshot" /tmp/vektrano/board.dxf \
    "$root/docs/layer-map-dialog.png"
echo "wrote $root/docs/layer-map-dialog.png"
