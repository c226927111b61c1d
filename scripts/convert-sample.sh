#!/usr/bin/env bash
# Converts a short sample clip for every panel of the bundled installation into out/, with a
# picture of what each fan shows and a video of what the panel shows, using the headless
# converter. Skips the work when out/ is
# newer than the clip, the installation and the converter.
set -euo pipefail
cd "$(dirname "${BASH_SOURCE[0]}")/.."

converter=build/bin/rotavis-convert
config=build/bin/fanconfig.xml
sample=build/sample/sample.mp4
stamp=out/.converted

if [ ! -f "$sample" ]; then
    mkdir -p "$(dirname "$sample")"
    ffmpeg -hide_banner -loglevel error -nostdin -y \
        -f lavfi -i testsrc2=size=640x360:rate=25:duration=2 \
        -c:v mpeg4 -q:v 3 -pix_fmt yuv420p "$sample"
fi

mkdir -p out
if [ -f "$stamp" ] && [ "$stamp" -nt "$sample" ] && [ "$stamp" -nt "$config" ] \
    && [ "$stamp" -nt "$converter" ]; then
    echo "The sample conversion in out/ is up to date."
else
    rm -f "$stamp" out/*.bin out/*.view.png out/*.mp4
    panels=$("$converter" --config "$config" --list-panels | grep -c '^[0-9]')
    for ((i = 0; i < panels; i++)); do
        echo "Panel $i:"
        "$converter" --config "$config" --panel "$i" --input "$sample" \
            --output "out/panel$i" --fan-view 10 --video "out/panel$i.mp4"
    done
    touch "$stamp"
fi

echo
echo "Sample clip:     $sample"
echo "Installation:    $config"
echo "Fan data files:  $(ls out/*.bin | tr '\n' ' ')"
echo "Fan views:       $(ls out/*.view.png | tr '\n' ' ')"
echo "Videos:          $(ls out/*.mp4 | tr '\n' ' ')"
echo "(The window needs a display; this machine has none, so the sample was converted headless.)"
