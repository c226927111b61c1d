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
#include "samplemap.h"
#include "sampling.h"

#include <QElapsedTimer>
#include <QImage>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <string>
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

double median(std::vector<double> values)
{
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

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
    return median(times);
}

// The time to work out the sample map of four 1088-LED fans at the quadrants of a
// 2176 x 2176 panel (once per run, before the first frame), on one thread.
double fourLargeFansMapMs(const QImage& frame, int repeats)
{
    Panel panel;
    panel.width = panel.height = 2176;
    Fan fans[4];
    for (int f = 0; f < 4; ++f) {
        fans[f].ledpcs = fans[f].diameter = 1088;
        fans[f].x = f % 2 ? 1632 : 544;
        fans[f].y = f / 2 ? 1632 : 544;
        panel.fans.append(&fans[f]);
    }
    panel.selection = defaultSelection(frame.size(), panel);
    const double ms = medianMs(repeats, [&] {
        SampleMap map(panel, frame.size(), frame.bytesPerLine(), nullptr, selectedVectorKernel());
    });
    // How much of the frame the picture adjustments change in an output run.
    const SampleMap map(panel, frame.size(), frame.bytesPerLine());
    qint64 adjusted = 0;
    for (const PixelRun& run : map.framePixelsRead(8))
        adjusted += run.end - run.begin;
    const QRect region = selectedRegion(panel.selection).intersected(frame.rect());
    std::printf("Pixels of the frame an output run adjusts (those read, gaps under 8 joined): "
                "%lld, %.0f %% of the selected %d x %d\n",
                static_cast<long long>(adjusted),
                100.0 * double(adjusted) / (double(region.width()) * region.height()),
                region.width(), region.height());
    return ms;
}

} // namespace

int main(int argc, char** argv)
{
    const QImage frame = noiseImage(1920, 1080, 2024);
    const int repeats = 9;
    const int pairs = 21;
    const int batch = 10;
    int status = 0;
    // "bench_convert LEDS FRAMES": only the fast path for one LED count, for a profiler.
    // "bench_convert map N": only working out the sample map, N times.
    if (argc > 2 && std::string(argv[1]) == "map") {
        std::printf("sample map of four 1088-LED fans: %.1f ms\n",
                    fourLargeFansMapMs(frame, std::atoi(argv[2])));
        return 0;
    }
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

        PanelConversion conversion(panel, 1);
        BitPlaneTurn first;
        conversion.convert(frame, first); // works out the sample map
        // The two are timed in turns, so that a stretch when the machine is busy slows both.
        // Each is timed warm, after an untimed call (the other one has just had the caches);
        // a fast conversion takes well under a millisecond, so a batch of them is timed.
        QByteArray reference;
        auto referenceRecord = [&] {
            BitPlaneTurn turn;
            reference = fanFrameRecord(layers.frameImage_z0, fan, turn);
        };
        auto fastRecords = [&](int count) {
            for (int b = 0; b < count; ++b) {
                BitPlaneTurn turn;
                conversion.convert(frame, turn);
            }
        };
        std::vector<double> referenceTimes, fastTimes, ratios;
        for (int r = 0; r < pairs; ++r) {
            referenceRecord();
            const double referenceMs = medianMs(1, referenceRecord);
            fastRecords(1);
            const double fastMs = medianMs(1, [&] { fastRecords(batch); }) / batch;
            referenceTimes.push_back(referenceMs);
            fastTimes.push_back(fastMs);
            ratios.push_back(referenceMs / fastMs);
        }
        const double referenceMs = median(referenceTimes);
        const double fastMs = median(fastTimes);

        const long samples = long(blade.linesPerFrame) * 2 * halfLineLength(ledpcs);
        std::printf("%6d %8ld %13.2f %9.3f %8.1fx %15.2f %8.1fx\n", ledpcs, samples, referenceMs,
                    fastMs, median(ratios), referenceMs + layersMs,
                    (referenceMs + layersMs) / fastMs);
        if (conversion.frameRecord(0) != reference) {
            std::fprintf(stderr, "the records of %d LEDs differ\n", ledpcs);
            status = 1;
        }
    }
    if (!onlyLeds) {
        std::printf("\nWorking out the sample map of four 1088-LED fans (once per run, one "
                    "thread): %.1f ms\n",
                    fourLargeFansMapMs(frame, repeats));
    }
    return status;
}
