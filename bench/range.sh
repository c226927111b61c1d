#!/usr/bin/env bash
# The cost of a range at the end of a long clip (not part of ./test.sh): a 10 s range at the end
# of a 10-minute 1080p clip against a 10 s 1080p clip of its own, decode-only at 18 Hz. Makes
# both clips with the ffmpeg tool (H.264, a key frame every 250 pictures, as cameras write),
# which takes some minutes, builds bench_range into build/ (or $BUILD_DIR) and prints a
# Markdown table and the ratio. REPEATS sets the runs of each (default 3; the median counts).
set -euo pipefail

root=$(cd "$(dirname "$0")/.." && pwd)
build=${BUILD_DIR:-$root/build}
repeats=${REPEATS:-3}

cmake --build "$build" -j2 --target bench_range >/dev/null

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

clip() { # name seconds
    ffmpeg -hide_banner -loglevel error -y -f lavfi -i "testsrc2=size=1920x1080:rate=25" -t "$2" \
        -c:v libx264 -preset ultrafast -g 250 -bf 3 -pix_fmt yuv420p "$work/$1.mp4"
}
clip long 600
clip short 10

"$build/bench/bench_range" "$work/long.mp4" "$work/short.mp4" 590 10 "$repeats"
