#!/usr/bin/env bash
# Installs what is missing, builds, and starts Rotavis. Without a display it converts a
# sample clip for every panel headless instead and says where the output went.
set -euo pipefail
cd "$(dirname "${BASH_SOURCE[0]}")"
./scripts/setup.sh > build-setup.log 2>&1 || { cat build-setup.log; exit 1; }
if [ -n "${DISPLAY:-}" ] || [ -n "${WAYLAND_DISPLAY:-}" ]; then
    exec ./build/bin/rotavis
fi
exec ./scripts/convert-sample.sh
