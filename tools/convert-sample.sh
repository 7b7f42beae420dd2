#!/usr/bin/env bash
# Installs what is missing, builds vektrano-cli and converts the bundled sample drawing.
set -euo pipefail
cd "$(dirname "$0")/.."
bash tools/install-deps.sh
cmake --preset default >/dev/null
cmake --build --preset default --target vektrano-cli
build/default/src/cli/vektrano-cli examples/sample.dxf build/sample.scr
echo
echo "Skript geschrieben: $(pwd)/build/sample.scr"
