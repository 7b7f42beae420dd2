#!/bin/sh
# Draws docs/window.png: the real window under Xvfb, after converting a drawing
# with the form's defaults. Needs xvfb (Debian package xvfb).
#   tools/screenshot-window.sh [BUILD_DIR] [DRAWING.dxf]
# The drawing defaults to the bundled sample; it is copied to /tmp/vektrano/plan.dxf
# first, so the log in the picture names the same path on every machine.
set -eu
root=$(cd "$(dirname "$0")/.." && pwd)
build=${1:-$root/build/default}
drawing=${2:-$root/examples/sample.dxf}

cmake --build "$build" --target vektrano_window_screenshot
mkdir -p /tmp/vektrano
cp "$drawing" /tmp/vektrano/plan.dxf
rm -f /tmp/vektrano/plan.scr
QT_QPA_PLATFORM=xcb xvfb-run -a -s "-screen 0 1024x768x24 -dpi 96" \
    "$build/tests/window/vektrano_window_screenshot" /tmp/vektrano/plan.dxf "$root/docs/window.png"
echo "wrote $root/docs/window.png"
