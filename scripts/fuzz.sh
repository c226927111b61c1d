#!/usr/bin/env bash
# Builds the fuzz targets with clang and libFuzzer into build-fuzz/ and runs each for a
# while, starting from its seed corpus in fuzz/corpus/. Usage: scripts/fuzz.sh [SECONDS]
# (60 by default, per target). What a run finds is saved in build-fuzz/findings/; new
# inputs it discovers stay in build-fuzz/corpus/ (the repository's corpus is not touched).
set -euo pipefail
cd "$(dirname "${BASH_SOURCE[0]}")/.."
seconds=${1:-60}
targets=(fuzz_fanconfig fuzz_conversion)

scripts/install-packages.sh clang libclang-rt-dev

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
    # Both targets take an installation file: the words of that file help either.
    dictionary=(-dict=fuzz/fanconfig.dict)
    echo "Fuzzing $target for $seconds s"
    if ! build-fuzz/fuzz/"$target" -max_total_time="$seconds" -print_final_stats=1 \
        "${dictionary[@]}" -artifact_prefix="$findings/" "$corpus" > "$findings/log" 2>&1; then
        tail -n 60 "$findings/log"
        status=1
    fi
    grep -E '^stat::(number_of_executed_units|average_exec_per_sec|new_units_added)' \
        "$findings/log" || true
done
exit $status
