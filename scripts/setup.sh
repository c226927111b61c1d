#!/usr/bin/env bash
# Shared set-up of ./run.sh and ./test.sh: installs the Debian/Ubuntu packages that are
# missing (nothing when all are there), then configures and builds into build/.
set -euo pipefail
cd "$(dirname "${BASH_SOURCE[0]}")/.."

PACKAGES=(
    cmake g++ pkg-config
    qtbase5-dev qttools5-dev qttools5-dev-tools
    libavformat-dev libavcodec-dev libavutil-dev libswscale-dev
    libpugixml-dev
    ffmpeg xvfb xauth locales fonts-dejavu-core fonts-wqy-microhei
)

as_root() {
    if [ "$(id -u)" -eq 0 ]; then "$@"; else sudo "$@"; fi
}

missing=()
for package in "${PACKAGES[@]}"; do
    if ! dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q 'install ok installed'; then
        missing+=("$package")
    fi
done
if [ "${#missing[@]}" -gt 0 ]; then
    echo "Installing: ${missing[*]}"
    as_root apt-get update -qq
    as_root env DEBIAN_FRONTEND=noninteractive apt-get install -y -qq "${missing[@]}"
fi

if [ ! -f build/CMakeCache.txt ]; then
    cmake -S . -B build -DCMAKE_BUILD_TYPE=RelWithDebInfo
fi
cmake --build build -j2
