#!/usr/bin/env bash
# Kills a conversion with SIGKILL at random moments and checks what it leaves: every fan data
# file must be a byte-prefix of the full conversion's file, and `rotavis-convert --repair`
# must make the set whole (every file holding the same number of whole frames, still a
# prefix). Usage: scripts/kill-test.sh [RUNS] (20 by default). Needs a built build/.
set -euo pipefail
cd "$(dirname "${BASH_SOURCE[0]}")/.."
runs=${1:-20}
converter=$PWD/build/bin/rotavis-convert
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

cat > "$work/fanconfig.xml" <<'XML'
<panels>
  <panel model="kill test" width="900" height="600">
    <fan diameter="400" ledpcs="320" x="200" y="200"/>
    <fan diameter="400" ledpcs="224" x="700" y="200"/>
    <fan diameter="600" ledpcs="1088" x="450" y="300" z="1"/>
    <fan diameter="300" ledpcs="192" x="450" y="450"/>
  </panel>
</panels>
XML
ffmpeg -hide_banner -loglevel error -nostdin -y -f lavfi \
    -i testsrc2=size=640x360:rate=25:duration=20 -c:v libx264 -pix_fmt yuv420p "$work/clip.mp4"

convert() {
    "$converter" --config "$work/fanconfig.xml" --panel 0 --input "$work/clip.mp4" \
        --output "$1" --quiet "${@:2}"
}

mkdir -p "$work/full"
start=$(date +%s%N)
convert "$work/full/clip"
full=$(awk -v ns=$(($(date +%s%N) - start)) 'BEGIN { printf "%.2f", ns / 1e9 }')
full_frames=$("$converter" --inspect "$work/full/clip__0.bin" | sed -E 's/.*, ([0-9]+) frames? \(.*/\1/')
echo "Full conversion: $(ls "$work/full" | wc -l) files of $full_frames frames in ${full}s"

prefixes=0 repaired=0 uneven=0
for ((run = 1; run <= runs; run++)); do
    rm -rf "$work/run" && mkdir -p "$work/run"
    # The converter itself in the background, so that the kill reaches it and not a shell.
    "$converter" --config "$work/fanconfig.xml" --panel 0 --input "$work/clip.mp4" \
        --output "$work/run/clip" --quiet &
    victim=$!
    sleep "$(awk -v r=$RANDOM -v full="$full" 'BEGIN { printf "%.3f", r / 32767 * full }')"
    kill -KILL $victim 2>/dev/null || true
    wait $victim 2>/dev/null || true

    whole=1 counts=()
    for file in "$work"/full/clip__*.bin; do
        name=$(basename "$file")
        left="$work/run/$name"
        size=$(stat -c %s "$left" 2>/dev/null || echo 0)
        if [ "$size" -gt 0 ] && ! cmp -s -n "$size" "$left" "$file"; then
            whole=0
            echo "run $run: $name is not a prefix of the full output" >&2
        fi
        counts+=("$size")
    done
    prefixes=$((prefixes + whole))

    if ! ls "$work"/run/clip__*.bin > /dev/null 2>&1; then
        # Killed before the files were made: nothing to check or repair.
        repaired=$((repaired + 1))
        continue
    fi
    "$converter" --repair "$work/run/clip" > "$work/repair.log" 2>&1 || true
    # Whole frames of each repaired file, from the record size of the full output's file.
    frames=$(for file in "$work"/full/clip__*.bin; do
        record=$(($(stat -c %s "$file") / full_frames))
        # A file not made yet holds nothing either.
        size=$(stat -c %s "$work/run/$(basename "$file")" 2>/dev/null || echo 0)
        [ $((size % record)) = 0 ] && echo $((size / record)) || echo "part"
    done | sort -u | wc -l)
    intact=1
    for file in "$work"/run/clip__*.bin; do
        cmp -s -n "$(stat -c %s "$file")" "$file" "$work/full/$(basename "$file")" || intact=0
    done
    if [ "$frames" = 1 ] && [ "$intact" = 1 ]; then
        repaired=$((repaired + 1))
    else
        echo "run $run: --repair did not leave a whole set" >&2
        cat "$work/repair.log" >&2
    fi
    grep -q "cut from" "$work/repair.log" && uneven=$((uneven + 1))
done
echo "Killed $runs conversions: $prefixes left byte-prefixes of the full output;" \
    "$uneven had files at different frame counts; $repaired were whole after --repair."
[ "$prefixes" = "$runs" ] && [ "$repaired" = "$runs" ]
