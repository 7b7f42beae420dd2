#!/usr/bin/env bash
# Installs what is missing, builds everything with warnings as errors and runs the
# whole test suite, two tests at a time.
set -euo pipefail
cd "$(dirname "$0")/.."
bash tools/install-deps.sh
cmake --workflow --preset ci
