#!/usr/bin/env bash
# Shared set-up of ./run.sh and ./test.sh: installs the Debian/Ubuntu packages that are
# missing (nothing when all are there), then configures and builds into build/.
# With ROTAVIS_SETUP_LOG=FILE the tools' own output goes to FILE and only a headline per step
# (and, on a terminal, the build's percentage) is shown.
#
#   scripts/setup.sh [--qt6]
#
# --qt6 builds with Qt 6 instead (Debian 12's Qt 6.4 or later) into build-qt6/. With
# ROTAVIS_WERROR=ON every compiler warning fails the build; CXX picks the compiler of a new
# build folder.
set -euo pipefail
cd "$(dirname "${BASH_SOURCE[0]}")/.."

qt=5
build=build
if [ "${1:-}" = --qt6 ]; then
    qt=6
    build=build-qt6
fi

PACKAGES=(
    cmake g++ pkg-config
    qtbase5-dev qttools5-dev qttools5-dev-tools libqt5svg5 qttranslations5-l10n
    libavformat-dev libavcodec-dev libavutil-dev libswscale-dev
    libpugixml-dev
    ffmpeg xvfb xauth locales fonts-dejavu-core fonts-wqy-microhei
    dpkg-dev file desktop-file-utils appstream hicolor-icon-theme help2man lintian
)
if [ "$qt" = 6 ]; then
    PACKAGES+=(qt6-base-dev qt6-tools-dev qt6-tools-dev-tools qt6-l10n-tools qt6-qpa-plugins
               libqt6svg6 libgl-dev qt6-translations-l10n)
fi
if [[ ${CXX:-} == *clang* ]]; then
    PACKAGES+=(clang)
fi

exec 3>&1
if [ -n "${ROTAVIS_SETUP_LOG:-}" ]; then
    exec > "$ROTAVIS_SETUP_LOG" 2>&1
fi
say() { echo "$@" >&3; }

scripts/install-packages.sh "${PACKAGES[@]}" 2>&3

configure=(-DCMAKE_BUILD_TYPE=RelWithDebInfo -DROTAVIS_QT_MAJOR=$qt)
if [ -n "${ROTAVIS_WERROR:-}" ]; then
    configure+=(-DROTAVIS_WERROR="$ROTAVIS_WERROR")
fi
if [ ! -f "$build/CMakeCache.txt" ]; then
    say "Configuring the build in $build/ ..."
    cmake -S . -B "$build" "${configure[@]}"
    say "Building Rotavis and its tests (the first build takes several minutes) ..."
elif [ -n "${ROTAVIS_WERROR:-}" ]; then
    cmake -S . -B "$build" "${configure[@]}"
fi
if [ -n "${ROTAVIS_SETUP_LOG:-}" ] && [ -t 3 ]; then
    # The build's own percentage, redrawn in place.
    cmake --build "$build" -j2 | while IFS= read -r line; do
        echo "$line"
        if [[ $line =~ ^\[\ *([0-9]+)%\] ]]; then
            printf '\r  %s%% built' "${BASH_REMATCH[1]}" >&3
        fi
    done
    printf '\r\033[K' >&3
else
    cmake --build "$build" -j2
fi
