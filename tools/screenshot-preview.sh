#!/bin/sh
# Draws docs/preview.png, the preview window after converting a drawing in the real
# window under Xvfb, and docs/sample.svg, the same script drawn by vektrano-cli --svg.
# Needs xvfb (Debian package xvfb).
#   tools/screenshot-preview.sh [BUILD_DIR] [DRAWING.dxf]
# The drawing defaults to the bundled sample; it is copied to /tmp/vektrano/plan.dxf
# first, so both pictures come from the same path on every machine.
set -eu
root=$(cd "$(dirname "$0")/.." && pwd)
build=${1:-$root/build/default}
drawing=${2:-$root/examples/sample.dxf}

cmake --build "$build" --target vektrano_window_screenshot vektrano-cli
mkdir -p /tmp/vektrano
cp "$drawing" /tmp/vektrano/plan.dxf
rm -f /tmp/vektrano/plan.scr
# A settings folder of its own, so a size remembered on this machine does not
# change the picture.
settings=$(mktemp -d)
XDG_CONFIG_HOME=$settings QT_QPA_PLATFORM=xcb xvfb-run -a -s "-screen 0 1024x768x24 -dpi 96" \
    "$build/tests/window/vektrano_window_screenshot" /tmp/vektrano/plan.dxf \
    /tmp/vektrano/window.png "$root/docs/preview.png"
rm -rf "$settings"
"$build/src/cli/vektrano-cli" -q --svg "$root/docs/sample.svg" /tmp/vektrano/plan.dxf
echo "wrote $root/docs/preview.png and $root/docs/sample.svg"
