#!/usr/bin/env bash
# Fails when a tracked C++ file differs from what clang-format-14 makes of it
# with the repository's .clang-format. Reformat with:
#   git ls-files '*.cpp' '*.h' | xargs clang-format-14 -i
set -euo pipefail
cd "$(dirname "$0")/.."
format=${CLANG_FORMAT:-clang-format-14}
command -v "$format" >/dev/null || { echo "check-format.sh: $format fehlt" >&2; exit 2; }
git ls-files -z '*.cpp' '*.h' | xargs -0 "$format" --dry-run --Werror
