// Per fan and frame: how long the straightforward version takes from the layer image to the
// finished frame record (sampling, LED colour processing, packets), and how long the fast
// path takes from the frame itself to the same record, on one thread, per LED count. Each
// fan sits where the bundled installation puts a fan of its size (224 and 192 LEDs in a row
// of three like the 256-LED one), with the selection the window makes on a 1920 x 1080 frame
// of noise. The two records are compared byte for byte. The straightforward version also
// needs the layer images before it can sample; the last columns add the fan's share of
// building them (the time for the panel divided by its fans).

#include "bitplanes.h"
#include "bladetypes.h"
#include "defaultselection.h"
#include "fan.h"
#include "noiseimage.h"
#include "panel.h"
#include "panelconversion.h"
#include "sampling.h"

#include <QElapsedTimer>
#include <QImage>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <vector>

namespace {

// Panel width and height and the fan's centre, in panel units.
struct Placement
{
    int ledpcs;
    double width, height, x, y;
    int fansOnPanel;
};

const Placement placements[] = {
    {1088, 1088, 1088, 544, 544, 1}, // single large fan
    {704, 1408, 1408, 352, 352, 4},  // wall of four
    {512, 960, 640, 480, 320, 5},    // the front fan over four rear fans
    {320, 960, 640, 160, 160, 5},    // a rear fan of the same panel
    {256, 768, 256, 128, 128, 3},    // row of three small fans
    {224, 672, 224, 112, 112, 3},    {192, 576, 192, 96, 96, 3},
};

template <typename Work>
double medianMs(int repeats, Work work)
{
    std::vector<double> times;
    for (int i = 0; i < repeats; ++i) {
        QElapsedTimer timer;
        timer.start();
        work();
        times.push_back(timer.nsecsElapsed() / 1e6);
    }
    std::sort(times.begin(), times.end());
    return times[times.size() / 2];
}

} // namespace

int main(int argc, char** argv)
{
    const QImage frame = noiseImage(1920, 1080, 2024);
    const int repeats = 9;
    int status = 0;
    // "bench_convert LEDS FRAMES": only the fast path for one LED count, for a profiler.
    const int onlyLeds = argc > 2 ? std::atoi(argv[1]) : 0;
    const int profileFrames = argc > 2 ? std::atoi(argv[2]) : 0;

    std::printf("%6s %8s %13s %9s %9s %15s %9s\n", "LEDs", "samples", "reference ms", "fast ms",
                "speed-up", "+ layers ms", "speed-up");
    for (const Placement& place : placements) {
        const int ledpcs = place.ledpcs;
        if (onlyLeds && ledpcs != onlyLeds)
            continue;
        const BladeType blade = bladeType(ledpcs);
        Panel panel;
        panel.width = place.width;
        panel.height = place.height;
        Fan fan;
        fan.ledpcs = ledpcs;
        fan.diameter = ledpcs;
        fan.x = place.x;
        fan.y = place.y;
        panel.fans.append(&fan);
        panel.selection = defaultSelection(frame.size(), panel);

        if (onlyLeds) {
            PanelConversion conversion(panel, 1);
            BitPlaneTurn turn;
            QElapsedTimer timer;
            timer.start();
            for (int i = 0; i < profileFrames; ++i)
                conversion.convert(frame, turn);
            std::printf("%d LEDs: %.3f ms a frame\n", ledpcs,
                        timer.nsecsElapsed() / 1e6 / std::max(1, profileFrames));
            continue;
        }
        LayerImages layers;
        const double layersMs =
            medianMs(repeats, [&] { layers = buildLayerImages(frame, panel); }) / place.fansOnPanel;
        QByteArray reference;
        const double referenceMs = medianMs(repeats, [&] {
            BitPlaneTurn turn;
            reference = fanFrameRecord(layers.frameImage_z0, fan, turn);
        });

        PanelConversion conversion(panel, 1);
        BitPlaneTurn first;
        conversion.convert(frame, first); // works out the sample map
        const double fastMs = medianMs(repeats, [&] {
            BitPlaneTurn turn;
            conversion.convert(frame, turn);
        });

        const long samples = long(blade.linesPerFrame) * 2 * halfLineLength(ledpcs);
        std::printf("%6d %8ld %13.2f %9.3f %8.1fx %15.2f %8.1fx\n", ledpcs, samples, referenceMs,
                    fastMs, referenceMs / fastMs, referenceMs + layersMs,
                    (referenceMs + layersMs) / fastMs);
        if (conversion.frameRecord(0) != reference) {
            std::fprintf(stderr, "the records of %d LEDs differ\n", ledpcs);
            status = 1;
        }
    }
    return status;
}
