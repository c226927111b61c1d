#!/usr/bin/env bash
# Shared set-up of ./run.sh and ./test.sh: installs the Debian/Ubuntu packages that are
# missing (nothing when all are there), then configures and builds into build/.
# With ROTAVIS_SETUP_LOG=FILE the tools' own output goes to FILE and only a headline per step
# (and, on a terminal, the build's percentage) is shown.
set -euo pipefail
cd "$(dirname "${BASH_SOURCE[0]}")/.."

PACKAGES=(
    cmake g++ pkg-config
    qtbase5-dev qttools5-dev qttools5-dev-tools libqt5svg5 qttranslations5-l10n
    libavformat-dev libavcodec-dev libavutil-dev libswscale-dev
    libpugixml-dev
    ffmpeg xvfb xauth locales fonts-dejavu-core fonts-wqy-microhei
    dpkg-dev file desktop-file-utils appstream hicolor-icon-theme help2man lintian
)

exec 3>&1
if [ -n "${ROTAVIS_SETUP_LOG:-}" ]; then
    exec > "$ROTAVIS_SETUP_LOG" 2>&1
fi
say() { echo "$@" >&3; }

scripts/install-packages.sh "${PACKAGES[@]}" 2>&3

if [ ! -f build/CMakeCache.txt ]; then
    say "Configuring the build in build/ ..."
    cmake -S . -B build -DCMAKE_BUILD_TYPE=RelWithDebInfo
    say "Building Rotavis and its tests (the first build takes several minutes) ..."
fi
if [ -n "${ROTAVIS_SETUP_LOG:-}" ] && [ -t 3 ]; then
    # The build's own percentage, redrawn in place.
    cmake --build build -j2 | while IFS= read -r line; do
        echo "$line"
        if [[ $line =~ ^\[\ *([0-9]+)%\] ]]; then
            printf '\r  %s%% built' "${BASH_REMATCH[1]}" >&3
        fi
    done
    printf '\r\033[K' >&3
else
    cmake --build build -j2
fi
