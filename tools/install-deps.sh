#!/usr/bin/env bash
# Installs the Debian packages Vektrano builds and tests with, asking apt only
# when something is missing. Usage: install-deps.sh [extra packages...]
set -euo pipefail

packages=(
    cmake ninja-build g++ pkg-config
    qt6-base-dev libqt6opengl6-dev qt6-qpa-plugins qt6-translations-l10n
    libgtest-dev libgmock-dev libbenchmark-dev libcli11-dev
    python3 python3-ezdxf python3-shapely desktop-file-utils libxml2-utils
    "$@"
)

missing=()
for p in "${packages[@]}"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
if ((${#missing[@]})); then
    if [ "$(id -u)" -ne 0 ]; then
        echo "Fehlende Pakete: ${missing[*]} (als root installieren: apt-get install ${missing[*]})" >&2
        exit 1
    fi
    echo "Installiere: ${missing[*]}"
    export DEBIAN_FRONTEND=noninteractive
    apt-get update -qq
    apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
fi
