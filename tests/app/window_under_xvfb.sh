#!/usr/bin/env bash
# Starts the real program on a virtual X display and takes a picture of the screen.
# Usage: window_under_xvfb.sh ROTAVIS GRABSCREEN OUT.png
set -eu
rotavis=$1 grab=$2 out=$3
# What the window remembers goes to a folder of the test's own, not to the user's settings.
XDG_CONFIG_HOME=$(mktemp -d)
export XDG_CONFIG_HOME
trap 'rm -rf "$XDG_CONFIG_HOME"' EXIT
xvfb-run -a -s "-screen 0 1280x900x24" bash -c '
    "$0" & program=$!
    "$1" "$2" 3000; status=$?
    kill $program 2>/dev/null; wait $program 2>/dev/null
    exit $status' "$rotavis" "$grab" "$out"
