#!/bin/sh
# Builds the .deb from a configured build folder, installs it with dpkg, runs the
# installed vektrano-cli and finds its man page, then removes the package again.
#   packaging/test-deb.sh [BUILD_DIR]     (default: build/default)
# Needs root, since dpkg installs into the system; skips with a message otherwise.
set -eu

if [ "$(id -u)" -ne 0 ]; then
    echo "test-deb.sh: SKIPPED: installing a package needs root (run it as root or in CI)"
    exit 0
fi

source_dir=$(cd "$(dirname "$0")/.." && pwd)
build_dir=${1:-$source_dir/build/default}
if [ ! -f "$build_dir/CMakeCache.txt" ]; then
    cmake -S "$source_dir" -B "$build_dir" -G Ninja -DCMAKE_BUILD_TYPE=Release
fi
build_dir=$(cd "$build_dir" && pwd)

if dpkg-query -W -f='${Status}' vektrano 2>/dev/null | grep -q 'install ok installed'; then
    echo "test-deb.sh: vektrano is already installed; refusing to replace it" >&2
    exit 1
fi

cmake --build "$build_dir" -j2
(cd "$build_dir" && cpack -G DEB)
deb=$(ls -t "$build_dir"/vektrano_*.deb | head -n 1)
echo "test-deb.sh: built $deb"

status=0
dpkg -i "$deb"
# From here on the package is installed: remove it whatever happens below.
trap 'dpkg -r vektrano >/dev/null' EXIT

version=$(/usr/bin/vektrano-cli --version) || status=1
echo "test-deb.sh: vektrano-cli --version: $version"
case "$version" in
    "Vektrano Converter - Version "*) ;;
    *) echo "test-deb.sh: FAILED: unexpected version text" >&2; status=1 ;;
esac

man_page=$(man -w vektrano-cli) || status=1
echo "test-deb.sh: man -w vektrano-cli: $man_page"
case "$man_page" in
    /usr/share/man/man1/vektrano-cli.1.gz) ;;
    *) echo "test-deb.sh: FAILED: man page not found where the package put it" >&2; status=1 ;;
esac

dpkg -r vektrano
trap - EXIT
if [ -e /usr/bin/vektrano-cli ]; then
    echo "test-deb.sh: FAILED: /usr/bin/vektrano-cli left behind by dpkg -r" >&2
    status=1
fi

[ "$status" -eq 0 ] && echo "test-deb.sh: PASSED"
exit "$status"
