#!/usr/bin/env bash
# Converts a batch of clips twice, once as one serial batch of rotavis-convert and once with
# GNU parallel, one clip per job, and checks that both leave the same files, byte for byte,
# and the same exit status (the worst of the clips'). This is how a show is spread over
# several machines (docs/several-machines.md), tried on this one.
#
#   scripts/parallel-batch.sh [JOBS]      (default: one job per core)
#
# The clips are made with the ffmpeg tool and include a file that is no clip. The panel has
# 192- and 224-LED fans, whose bit-plane turns must start afresh with every clip, and a
# front fan with rim blending. Work goes to build/parallel-batch/.
set -euo pipefail
cd "$(dirname "${BASH_SOURCE[0]}")/.."

jobs=${1:-$(nproc)}
converter=$PWD/build/bin/rotavis-convert
[ -x "$converter" ] || { echo "No $converter: build first (./test.sh or ./run.sh)." >&2; exit 1; }
scripts/install-packages.sh parallel ffmpeg

work=build/parallel-batch
rm -rf "$work"
mkdir -p "$work/clips"
cat > "$work/fanconfig.xml" << 'EOF'
<panels>
  <panel model="Batch check" hz="18" width="768" height="512" edge-offset="12"
         colorOffset0="0:(0,0,0,255)|1:(0,0,0,0)" colorOffset1="0:(0,0,0,0)|1:(0,0,0,255)">
    <fan diameter="192" ledpcs="192" x="96" y="96" z="0"/>
    <fan diameter="224" ledpcs="224" x="656" y="112" z="0"/>
    <fan diameter="256" ledpcs="256" x="128" y="384" z="0"/>
    <fan diameter="512" ledpcs="512" x="448" y="256" z="1"/>
  </panel>
</panels>
EOF

make_clip() { # NAME LAVFI_SOURCE FFMPEG_OPTIONS...
    local name=$1 source=$2
    shift 2
    ffmpeg -hide_banner -loglevel error -nostdin -f lavfi -i "$source" "$@" "$work/clips/$name"
}
echo "Making the clips in $work/clips ..."
make_clip intro.mp4 testsrc2=size=640x360:rate=25:duration=3 -c:v libx264 -pix_fmt yuv420p
make_clip wide.mkv testsrc=size=1280x720:rate=30:duration=2 -c:v mpeg4 -q:v 4
make_clip square.mp4 mandelbrot=size=480x480:rate=24 -t 2 -c:v mpeg4 -q:v 4
make_clip fast.mp4 smptebars=size=320x240:rate=60:duration=1 -c:v libx264 -pix_fmt yuv420p
make_clip slides.mp4 rgbtestsrc=size=400x300:rate=1:duration=4 -c:v mpeg4
make_clip still.png testsrc2=size=300x200 -frames:v 1
echo "not a clip" > "$work/clips/notes.txt"

echo "Serial batch ..."
set +e
"$converter" --config "$work/fanconfig.xml" --panel 0 --quiet \
    --input "$work/clips" --output "$work/serial" > "$work/serial.table"
serialStatus=$?
set -e
cat "$work/serial.table"

echo "GNU parallel, $jobs jobs, one clip each ..."
mkdir -p "$work/parallel"
set +e
# One job per clip, each a whole conversion of its own; {/.} is the clip's name without
# its folder and ending, as the batch names the files. -q keeps each word of the command
# one word for the shell that runs it.
find "$work/clips" -maxdepth 1 -type f | sort \
    | parallel -q --jobs "$jobs" --joblog "$work/parallel.log" \
        "$converter" --config "$work/fanconfig.xml" --panel 0 --quiet \
        --input {} --output "$work/parallel/{/.}" > /dev/null
set -e
parallelStatus=$(awk 'NR > 1 && $7 > worst { worst = $7 } END { print worst + 0 }' "$work/parallel.log")
sed 's/^/  /' "$work/parallel.log"

failed=0
if ! diff <(cd "$work/serial" && find . -type f | sort) \
    <(cd "$work/parallel" && find . -type f | sort) > "$work/names.diff"; then
    echo "FAIL: the two runs wrote different files:"
    cat "$work/names.diff"
    failed=1
fi
files=0
while IFS= read -r file; do
    files=$((files + 1))
    if ! cmp -s "$work/serial/$file" "$work/parallel/$file"; then
        echo "FAIL: $file differs"
        failed=1
    fi
done < <(cd "$work/serial" && find . -type f -name '*.bin' | sort)
if [ "$serialStatus" -ne "$parallelStatus" ]; then
    echo "FAIL: exit status $serialStatus serial, worst $parallelStatus in parallel"
    failed=1
fi
[ "$files" -gt 0 ] || { echo "FAIL: the serial batch wrote no file"; failed=1; }
if [ "$failed" -eq 0 ]; then
    echo "Identical: $files fan data files of $(find "$work/clips" -type f | wc -l) inputs," \
        "byte for byte; exit status $serialStatus both ways."
fi
exit "$failed"
