#!/usr/bin/env bash
# Benchmarks of the conversion (not part of ./test.sh): the per-fan speed-up of the fast path
# over the straightforward version, whole runs against the decode-only run of the same file,
# the same runs writing only (as many bytes as the conversion, no sampling), peak memory, and
# the encoding speed of the fans' video.
# Makes its clips with the ffmpeg tool, builds what it needs into build/ (or $BUILD_DIR) and
# prints Markdown tables. REPEATS sets how many decode/write/convert rounds are run for each
# row (default 3; the median is reported).
set -euo pipefail

root=$(cd "$(dirname "$0")/.." && pwd)
build=${BUILD_DIR:-$root/build}
repeats=${REPEATS:-3}

cmake -S "$root" -B "$build" -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build "$build" -j2 --target bench_convert bench_run bench_videowriter bench_adjust \
    rotavis-convert >/dev/null

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

clip() { # name size seconds
    ffmpeg -hide_banner -loglevel error -y -f lavfi -i "testsrc2=size=$2:rate=30" -t "$3" \
        -c:v libx264 -pix_fmt yuv420p -preset medium "$work/$1.mp4"
}
clip c1080 1920x1080 10
clip c720 1280x720 10
clip c1080long 1920x1080 60

bundled="$root/app/fanconfig.xml"
extra="$root/bench/panels.xml"

# Where the fan data of a run goes: a folder in memory where there is one, so that the
# gigabytes of a long run cost no disk (the process's own memory is measured, not the files').
scratch=$work
if [ -d /dev/shm ] && [ -w /dev/shm ]; then
    scratch=$(mktemp -d /dev/shm/rotavis-bench.XXXXXX)
    trap 'rm -rf "$work" "$scratch"' EXIT
fi

# One run: prints "wall_ms frames maxrss_kb cpu_ms". The data files are removed afterwards.
one() { # mode config panel clip
    local data=$scratch
    rm -f "$data"/out*.bin
    "$build/bench/bench_run" "$1" "$2" "$3" "$work/$4.mp4" "$data/out" |
        awk '{print $2, $4, $6, $8}'
    rm -f "$data"/out*.bin
}

median() { sort -n | awk '{a[NR]=$1} END {print a[int((NR+1)/2)]}'; }

echo "Machine: $(nproc) cores, $(grep -m1 'model name' /proc/cpuinfo | cut -d: -f2 | sed 's/^ //'), load before: $(cut -d' ' -f1-3 /proc/loadavg)"
echo
echo "## Per fan and frame (one thread)"
echo
echo '```'
"$build/bench/bench_convert"
echo '```'
echo
echo "## Whole runs against decode-only (wall clock, median of $repeats alternating rounds)"
echo
echo "\"Writing only\" decodes like decode-only and writes as many bytes per picture and fan as"
echo "the conversion (zeros): what a run costs before any sample is read. The last column"
echo "compares the processor time of all threads (user and system)."
echo
echo "| panel | clip | decode-only ms | writing only ms | conversion ms | writing only ratio | ratio | processor time ratio |"
echo "|---|---|---|---|---|---|---|---|"
rows=("$extra|0|Four large fans 18 Hz" "$extra|1|Four large fans 30 Hz")
count=$(grep -c '<panel ' "$bundled")
for ((p = 0; p < count; ++p)); do
    name=$(grep '<panel ' "$bundled" | sed -n "$((p + 1))p" | sed 's/.*model="\([^"]*\)".*/\1/')
    rows+=("$bundled|$p|$name")
done
for row in "${rows[@]}"; do
    IFS='|' read -r config panel name <<<"$row"
    for c in c1080 c720; do
        decode=()
        write=()
        convert=()
        decodeCpu=()
        convertCpu=()
        for ((r = 0; r < repeats; ++r)); do
            read -r wall _ _ cpu <<<"$(one decode "$config" "$panel" "$c")"
            decode+=("$wall")
            decodeCpu+=("$cpu")
            read -r wall _ _ _ <<<"$(one write "$config" "$panel" "$c")"
            write+=("$wall")
            read -r wall _ _ cpu <<<"$(one convert "$config" "$panel" "$c")"
            convert+=("$wall")
            convertCpu+=("$cpu")
        done
        d=$(printf '%s\n' "${decode[@]}" | median)
        w=$(printf '%s\n' "${write[@]}" | median)
        v=$(printf '%s\n' "${convert[@]}" | median)
        dc=$(printf '%s\n' "${decodeCpu[@]}" | median)
        vc=$(printf '%s\n' "${convertCpu[@]}" | median)
        label=$([ "$c" = c1080 ] && echo "1080p30, 10 s" || echo "720p30, 10 s")
        awk -v n="$name" -v l="$label" -v d="$d" -v w="$w" -v v="$v" -v dc="$dc" -v vc="$vc" \
            'BEGIN { printf "| %s | %s | %d | %d | %d | %.2f | %.2f | %.2f |\n", n, l, d, w, v, w / d, v / d, vc / dc }'
    done
done
echo
echo "## Picture adjustments, Four large fans 18 Hz, 1080p30 (median of $repeats alternating rounds)"
echo
echo "\"three values\" changes brightness, contrast and gamma (one table per channel), \"all four\""
echo "also the saturation (the pixel-wise path)."
echo
echo "| values | wall ms | wall ratio | processor ms | processor time ratio |"
echo "|---|---|---|---|---|"
declare -A adjustWall adjustCpu
for ((r = 0; r < repeats; ++r)); do
    for mode in convert tables adjusted; do
        read -r wall _ _ cpu <<<"$(one "$mode" "$extra" 0 c1080)"
        adjustWall[$mode]+="$wall "
        adjustCpu[$mode]+="$cpu "
    done
done
baseWall=$(printf '%s\n' ${adjustWall[convert]} | median)
baseCpu=$(printf '%s\n' ${adjustCpu[convert]} | median)
for mode in convert tables adjusted; do
    w=$(printf '%s\n' ${adjustWall[$mode]} | median)
    c=$(printf '%s\n' ${adjustCpu[$mode]} | median)
    label=$([ "$mode" = convert ] && echo "unchanged" || ([ "$mode" = tables ] && echo "three values" || echo "all four"))
    awk -v l="$label" -v w="$w" -v c="$c" -v bw="$baseWall" -v bc="$baseCpu" \
        'BEGIN { printf "| %s | %d | %.2f | %d | %.2f |\n", l, w, w / bw, c, c / bc }'
done
echo
echo "The colour steps alone on one 1920 x 1080 frame (one thread):"
echo
"$build/bench/bench_adjust"
echo
echo "## Peak resident memory, Four large fans 18 Hz, 1080p30 (fan data written to $scratch)"
echo
echo "| clip | decode-only MiB | conversion MiB | difference MiB |"
echo "|---|---|---|---|"
for c in c1080 c1080long; do
    d=$(one decode "$extra" 0 "$c" | cut -d' ' -f3)
    v=$(one convert "$extra" 0 "$c" | cut -d' ' -f3)
    label=$([ "$c" = c1080 ] && echo "10 s" || echo "60 s")
    awk -v l="$label" -v d="$d" -v v="$v" \
        'BEGIN { printf "| %s | %.1f | %.1f | %.1f |\n", l, d / 1024, v / 1024, (v - d) / 1024 }'
done
echo
echo "## Video of the fans (encoding only, pictures made beforehand)"
echo
QT_QPA_PLATFORM=offscreen "$build/bench/bench_videowriter" 2>/dev/null
echo
echo "## Videos of what the fans show (bundled panels, 1080p30, 10 s; wall clock, median of $repeats)"
echo
echo "\"--video\" is the conversion with a video beside it (1080 pixels on the longer side);"
echo "\"--play\" renders the saved set into a video; \"speed\" is the set's length at the"
echo "panel's rate over the time that took."
echo
echo "| panel | conversion ms | with --video ms | ratio | --play ms | speed |"
echo "|---|---|---|---|---|---|"
converter=$build/bin/rotavis-convert
seconds() { # command...: the wall time in ms
    local start end
    start=$(date +%s%N)
    "$@" >/dev/null 2>&1
    end=$(date +%s%N)
    echo $(((end - start) / 1000000))
}
for ((p = 0; p < count; ++p)); do
    name=$(grep '<panel ' "$bundled" | sed -n "$((p + 1))p" | sed 's/.*model="\([^"]*\)".*/\1/')
    run=("$converter" --config "$bundled" --panel "$p" --quiet -y)
    plain=()
    video=()
    play=()
    for ((r = 0; r < repeats; ++r)); do
        rm -f "$scratch"/set*.bin "$scratch"/*.mp4
        plain+=("$(seconds "${run[@]}" --input "$work/c1080.mp4" --output "$scratch/set")")
        video+=("$(seconds "${run[@]}" --input "$work/c1080.mp4" --output "$scratch/set" \
            --video "$scratch/beside.mp4")")
        play+=("$(seconds "${run[@]}" --play "$scratch/set" --video "$scratch/played.mp4")")
    done
    frames=$("$converter" --inspect "$(ls "$scratch"/set*.bin | head -1)" |
        sed -E 's/.*, ([0-9]+) frames? \(.*/\1/')
    hz=$("$converter" --config "$bundled" --list-panels | grep "^$p " | sed -E 's/.*  ([0-9.]+) Hz.*/\1/')
    c=$(printf '%s\n' "${plain[@]}" | median)
    v=$(printf '%s\n' "${video[@]}" | median)
    l=$(printf '%s\n' "${play[@]}" | median)
    awk -v n="$name" -v c="$c" -v v="$v" -v l="$l" -v f="$frames" -v hz="$hz" \
        'BEGIN { printf "| %s | %d | %d | %.2f | %d | %.1f x |\n", n, c, v, v / c, l, f / hz * 1000 / l }'
    rm -f "$scratch"/set*.bin "$scratch"/*.mp4
done
echo
echo "Load after: $(cut -d' ' -f1-3 /proc/loadavg)"
