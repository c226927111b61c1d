#!/usr/bin/env bash
# Installs what is missing, builds, and starts Rotavis. Without a display it converts a
# sample clip for every panel headless instead and says where the output went.
set -euo pipefail
cd "$(dirname "${BASH_SOURCE[0]}")"
if ! ROTAVIS_SETUP_LOG=build-setup.log ./scripts/setup.sh; then
    echo "The set-up failed; the end of its log, build-setup.log:"
    tail -n 40 build-setup.log
    exit 1
fi
if [ -n "${DISPLAY:-}" ] || [ -n "${WAYLAND_DISPLAY:-}" ]; then
    echo "Starting Rotavis (build/bin/rotavis) ..."
    exec ./build/bin/rotavis
fi
exec ./scripts/convert-sample.sh
