#!/usr/bin/env bash
# Builds the fuzz targets with clang and libFuzzer into build-fuzz/ and runs each for a
# while, starting from its seed corpus in fuzz/corpus/ or the one made below. Usage:
# scripts/fuzz.sh [SECONDS] (60 by default, per target). What a run finds is saved in
# build-fuzz/findings/; new inputs it discovers stay in build-fuzz/corpus/ (the repository's
# corpus is not touched).
set -euo pipefail
cd "$(dirname "${BASH_SOURCE[0]}")/.."
seconds=${1:-60}
targets=(fuzz_fanconfig fuzz_conversion fuzz_framesource fuzz_fandataset)

# libFuzzer options of a target beyond those of every run.
target_options() {
    case $1 in
    # Both take an installation file: the words of that file help either.
    fuzz_fanconfig | fuzz_conversion) echo "-dict=fuzz/fanconfig.dict" ;;
    esac
}

# Seeds of the frame source: a few pictures of 32 x 24 in the codecs and containers that
# clips come in, made with the ffmpeg tool instead of being kept as binaries. The last one
# has an empty video stream before the one with the pictures.
seed_framesource() {
    local corpus=$1 pattern=testsrc2=size=32x24:rate=18
    clip() {
        local name=$1
        shift
        [ -s "$corpus/$name" ] ||
            ffmpeg -nostdin -hide_banner -loglevel error -y "$@" "$corpus/$name"
    }
    clip h264.mp4 -f lavfi -i "$pattern" -frames:v 4 -c:v libx264 -pix_fmt yuv420p
    clip mpeg4.mp4 -f lavfi -i "$pattern" -frames:v 4 -c:v mpeg4
    clip ffv1.mkv -f lavfi -i "$pattern" -frames:v 3 -c:v ffv1
    clip png.mkv -f lavfi -i "$pattern" -frames:v 3 -c:v png
    clip two-streams.mkv -f lavfi -i "$pattern:d=0" -f lavfi -i "$pattern:d=0.2" \
        -map 0:v -map 1:v -c:v ffv1
}

# Seeds of the fan data sets: how many files, frames and which blades, then damage (see
# fuzz/fuzz_fandataset.cpp): a whole set, one cut off as a killed run leaves it, one with a
# header byte changed, one with a file gone.
seed_fandataset() {
    local corpus=$1
    printf '\x00\x02\x06' > "$corpus/one-fan"
    printf '\x01\x03\x02\x04\x01\x00\x10\x20\x00' > "$corpus/cut-off"
    printf '\x01\x02\x07\x06\x00\x01\x09\x00\x00\x33' > "$corpus/header"
    printf '\x02\x02\x01\x02\x03\x03\x01' > "$corpus/file-gone"
}

scripts/install-packages.sh clang libclang-rt-dev ffmpeg

if [ ! -f build-fuzz/CMakeCache.txt ]; then
    CC=clang CXX=clang++ cmake -S . -B build-fuzz -DCMAKE_BUILD_TYPE=RelWithDebInfo \
        -DROTAVIS_FUZZ=ON
fi
cmake --build build-fuzz -j2 --target "${targets[@]}"

export ASAN_OPTIONS="detect_leaks=1:fast_unwind_on_malloc=0"
export LSAN_OPTIONS="suppressions=$PWD/scripts/sanitizers/lsan.supp:print_suppressions=0"
export UBSAN_OPTIONS="halt_on_error=1:print_stacktrace=1"
export QT_QPA_PLATFORM=offscreen QT_QPA_PLATFORMTHEME=

status=0
for target in "${targets[@]}"; do
    corpus=build-fuzz/corpus/${target#fuzz_}
    findings=build-fuzz/findings/${target#fuzz_}
    mkdir -p "$corpus" "$findings"
    cp -n fuzz/corpus/"${target#fuzz_}"/* "$corpus"/ 2>/dev/null || true
    if declare -F "seed_${target#fuzz_}" > /dev/null; then
        "seed_${target#fuzz_}" "$corpus"
    fi
    read -ra options <<< "$(target_options "$target")"
    echo "Fuzzing $target for $seconds s"
    if ! build-fuzz/fuzz/"$target" -max_total_time="$seconds" -print_final_stats=1 \
        "${options[@]}" -artifact_prefix="$findings/" "$corpus" > "$findings/log" 2>&1; then
        tail -n 60 "$findings/log"
        status=1
    fi
    grep -E '^stat::(number_of_executed_units|average_exec_per_sec|new_units_added)' \
        "$findings/log" || true
done
exit $status
