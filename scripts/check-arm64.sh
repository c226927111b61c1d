#!/usr/bin/env bash
# Cross-builds Rotavis for ARM64 (aarch64) with Debian's cross compiler and the arm64 Qt 5,
# FFmpeg and pugixml of Debian's multiarch packages, into build-arm64/, and runs the test
# suite under qemu-user. Then converts a few cases with the ARM64 rotavis-convert and with
# the x86-64 one of build/ and compares the fan data files byte for byte. Too slow for every
# CI run: run it by hand, as root (it adds the arm64 architecture and installs packages),
# after touching the kernels and before a release.
#
#   scripts/check-arm64.sh
#
# Under qemu-user a program cannot start another ARM64 program (no binfmt_misc handler is
# registered), so the tests that start the installed or built programs (the converter run as
# scripts run it, the package and the programs on a virtual X display) are left out; the
# byte comparison runs the converter directly under qemu instead. The whole log is kept in
# build-arm64/check.log; the script fails on a failed test, a differing file or a build
# warning.
set -euo pipefail
cd "$(dirname "${BASH_SOURCE[0]}")/.."

if [ "$(id -u)" -ne 0 ]; then
    echo "check-arm64.sh: adding an architecture and installing packages need root" >&2
    exit 2
fi

if ! dpkg --print-foreign-architectures | grep -qx arm64; then
    dpkg --add-architecture arm64
    apt-get update -qq
fi
scripts/install-packages.sh crossbuild-essential-arm64 qemu-user cmake pkg-config ffmpeg \
    qtbase5-dev qttools5-dev-tools \
    qtbase5-dev:arm64 qttools5-dev:arm64 libpugixml-dev:arm64 \
    libavformat-dev:arm64 libavcodec-dev:arm64 libavutil-dev:arm64 libswscale-dev:arm64

build=build-arm64
mkdir -p "$build"
log=$PWD/$build/check.log
: > "$log"
cat > "$build/toolchain.cmake" << 'TOOLCHAIN'
set(CMAKE_SYSTEM_NAME Linux)
set(CMAKE_SYSTEM_PROCESSOR aarch64)
set(CMAKE_C_COMPILER aarch64-linux-gnu-gcc)
set(CMAKE_CXX_COMPILER aarch64-linux-gnu-g++)
set(CMAKE_LIBRARY_ARCHITECTURE aarch64-linux-gnu)
# Tests run under qemu-user; the ARM64 libraries lie where multiarch puts them.
set(CMAKE_CROSSCOMPILING_EMULATOR qemu-aarch64)
set(ENV{PKG_CONFIG_LIBDIR} /usr/lib/aarch64-linux-gnu/pkgconfig:/usr/share/pkgconfig)
TOOLCHAIN

echo "Cross-building for ARM64 in $build/ (log: $log) ..."
cmake -S . -B "$build" -DCMAKE_BUILD_TYPE=RelWithDebInfo -DROTAVIS_QT_MAJOR=5 \
    -DCMAKE_TOOLCHAIN_FILE="$PWD/$build/toolchain.cmake" >> "$log" 2>&1
cmake --build "$build" -j2 >> "$log" 2>&1 || {
    tail -n 40 "$log"
    echo "ARM64: the build FAILED"
    exit 1
}
file "$build/bin/rotavis-convert" | tee -a "$log"

echo "Running the tests under qemu-user ..."
status=0
(cd "$build" && ctest --output-on-failure -j2 --timeout 1800 \
    -E '^(tst_rotavisconvert|tst_package|.*_under_xvfb)$') >> "$log" 2>&1 || status=$?
grep -E 'tests passed|\(Failed\)|\(Timeout\)' "$log" || true

# The same cases converted on both processors: every blade type, front-fan blending, a
# selection on half pixels.
echo "Comparing the fan data files with the x86-64 build ..."
if [ ! -x build/bin/rotavis-convert ]; then
    ./scripts/setup.sh > /dev/null
fi
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cat > "$work/fanconfig.xml" << 'CONFIG'
<panels>
  <panel model="pair" width="128" height="64" edge-offset="12"
         colorOffset0="0:(0,0,0,255)|0.5:(20,40,60,128)|1:(0,0,0,0)"
         colorOffset1="0:(0,0,0,0)|1:(255,0,0,255)">
    <fan diameter="64" ledpcs="64" x="32" y="32" z="0"/>
    <fan diameter="60" ledpcs="60" x="80" y="32" z="1"/>
  </panel>
  <panel model="every blade" width="1100" height="1100">
    <fan diameter="1088" ledpcs="1088" x="550" y="550"/>
    <fan diameter="704" ledpcs="704" x="550" y="550"/>
    <fan diameter="512" ledpcs="512" x="550" y="550"/>
    <fan diameter="320" ledpcs="320" x="550" y="550"/>
    <fan diameter="256" ledpcs="256" x="550" y="550"/>
    <fan diameter="224" ledpcs="224" x="550" y="550"/>
    <fan diameter="192" ledpcs="192" x="550" y="550"/>
    <fan diameter="99" ledpcs="99" x="550" y="550"/>
  </panel>
</panels>
CONFIG
# A lossless RGB clip (the program's own arithmetic from the decoded pixels on) and an H.264
# one (FFmpeg's YUV to RGB conversion too).
ffmpeg -hide_banner -loglevel error -f lavfi -i "testsrc2=size=160x96:rate=18" -frames:v 6 \
    -c:v png "$work/clip.mkv"
ffmpeg -hide_banner -loglevel error -f lavfi -i "testsrc2=size=160x96:rate=18" -frames:v 6 \
    -c:v libx264 -pix_fmt yuv420p "$work/clip.mp4"
compared=0
differ=0
for run in "pair|clip.mkv" "every blade|clip.mkv" "every blade|clip.mp4"; do
    panel=${run%|*}
    clip=${run#*|}
    name="$panel ${clip#clip.}"
    for arch in x86-64 arm64; do
        mkdir -p "$work/$arch"
        converter=(build/bin/rotavis-convert)
        [ "$arch" = arm64 ] && converter=(qemu-aarch64 "$build/bin/rotavis-convert")
        "${converter[@]}" --config "$work/fanconfig.xml" --panel "$panel" --input "$work/$clip" \
            --output "$work/$arch/$name" --quiet >> "$log" 2>&1
    done
    for file in "$work/x86-64/$name"__*.bin; do
        base=$(basename "$file")
        compared=$((compared + 1))
        if cmp -s "$file" "$work/arm64/$base"; then
            echo "  $base: identical ($(stat -c %s "$file") bytes)" | tee -a "$log"
        else
            # How many bytes differ, and by how much at most.
            # (cmp -l prints the bytes in octal.)
            echo "  $base: DIFFERS in $(cmp -l "$file" "$work/arm64/$base" | awk '
                function octal(s,  v, i) { for (i = 1; i <= length(s); ++i) v = v * 8 + substr(s, i, 1); return v }
                { d = octal($2) - octal($3); if (d < 0) d = -d; if (d > m) m = d; n++ }
                END { printf "%d bytes, by up to %d", n, m }') of $(stat -c %s "$file")" |
                tee -a "$log"
            differ=$((differ + 1))
        fi
    done
done

warnings=$(grep -E 'warning:|CMake (Deprecation )?Warning' "$log" || true)
if [ -n "$warnings" ]; then
    echo
    echo "Warnings:"
    echo "$warnings"
fi
if [ "$status" -ne 0 ] || [ "$differ" -ne 0 ] || [ "$compared" -eq 0 ]; then
    echo "ARM64: FAILED (ctest status $status, $differ of $compared files differ)"
    exit 1
fi
if [ -n "$warnings" ]; then
    echo "ARM64: the tests pass and the files match, but the build is not warning-free"
    exit 1
fi
echo "ARM64: build warning-free, the tests pass, $compared files identical to x86-64's"
