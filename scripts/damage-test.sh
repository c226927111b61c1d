#!/usr/bin/env bash
# Damages whole fan data sets at random and checks that `rotavis-convert --repair` never
# shortens one: a set that no stopped or killed run could have left must be left alone
# (status 6). Each run changes one byte of one file of the set, half of them in a packet
# header of the first frame and half anywhere. Usage: scripts/damage-test.sh [RUNS] (200 by
# default). Needs a built build/.
set -euo pipefail
cd "$(dirname "${BASH_SOURCE[0]}")/.."
runs=${1:-200}
converter=$PWD/build/bin/rotavis-convert
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

# The bundled "Front fan over four rear fans": four 320-LED fans, one packet a line, and a
# 512-LED one in four packets a line.
ffmpeg -hide_banner -loglevel error -nostdin -y -f lavfi -i testsrc2=duration=1 \
    -c:v libx264 -pix_fmt yuv420p "$work/one.mp4"
mkdir -p "$work/whole"
"$converter" --config app/fanconfig.xml --panel 2 --input "$work/one.mp4" \
    --output "$work/whole/s" --quiet
files=("$work"/whole/s__*.bin)
declare -A sizes packets
for file in "${files[@]}"; do
    name=${file##*/}
    sizes[$name]=$(stat -c %s "$file")
    # "N LEDs, L lines per frame, F frames (R bytes a frame)": the packets of a frame.
    read -r leds record < <("$converter" --inspect "$file" |
        sed -E 's/.*: ([0-9]+) LEDs?, .*\(([0-9]+) bytes a frame\)/\1 \2/')
    case $leds in 1088 | 704 | 512) chunks=4 ;; *) chunks=1 ;; esac
    packets[$name]="$((8 + 3 * leds / chunks)) $((record / (8 + 3 * leds / chunks)))"
done
echo "Whole set: ${#files[@]} files of $(echo "${sizes[@]}" | tr ' ' ',') bytes"

shortened=0 refused=0 kept=0
for ((run = 1; run <= runs; run++)); do
    rm -rf "$work/run" && cp -r "$work/whole" "$work/run"
    file=${files[RANDOM % ${#files[@]}]##*/}
    read -r packet count <<< "${packets[$file]}"
    if ((run % 2)); then
        at=$(((RANDOM % count) * packet + RANDOM % 8))
    else
        at=$(((RANDOM * 32768 + RANDOM) % ${sizes[$file]}))
    fi
    old=$(od -An -tu1 -j "$at" -N1 "$work/run/$file" | tr -d ' ')
    printf "$(printf '\\%03o' $(((old + 1 + RANDOM % 255) % 256)))" |
        dd of="$work/run/$file" bs=1 seek="$at" conv=notrunc status=none
    status=0
    "$converter" --repair "$work/run/s" > "$work/repair.log" 2>&1 || status=$?
    for each in "$work"/run/s__*.bin; do
        if [ "$(stat -c %s "$each")" -lt "${sizes[${each##*/}]}" ]; then
            shortened=$((shortened + 1))
            echo "run $run: byte $at of $file changed; --repair shortened $(basename "$each")" >&2
            cat "$work/repair.log" >&2
            break
        fi
    done
    if [ "$status" = 6 ]; then refused=$((refused + 1)); else kept=$((kept + 1)); fi
done
echo "Damaged $runs sets: $shortened shortened by --repair; $refused refused as damaged" \
    "(status 6); $kept with the damage in LED bytes, where --repair finds nothing to cut."
[ "$shortened" = 0 ]
