#!/usr/bin/env bash
# Installs what is missing, builds, and runs every test. Exits with ctest's status.
#
#   ./test.sh           Qt 5, in build/
#   ./test.sh --qt6     Qt 6 (Debian 12's packages, installed where missing), in build-qt6/
set -euo pipefail
cd "$(dirname "${BASH_SOURCE[0]}")"
build=build
if [ "${1:-}" = --qt6 ]; then
    build=build-qt6
elif [ -n "${1:-}" ]; then
    echo "usage: ./test.sh [--qt6]" >&2
    exit 2
fi
./scripts/setup.sh "$@"

# A locale with a decimal comma, for the tests that check locale-independent parsing.
if ! locale -a 2>/dev/null | grep -qix 'de_DE\.utf-\?8'; then
    if [ "$(id -u)" -eq 0 ]; then
        localedef -i de_DE -f UTF-8 de_DE.UTF-8 || true
    else
        sudo localedef -i de_DE -f UTF-8 de_DE.UTF-8 || true
    fi
fi

cd "$build"
ctest --output-on-failure -j2
