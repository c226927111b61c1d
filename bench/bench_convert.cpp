// Per fan and frame: how long the straightforward version takes from the layer image to the
// finished frame record (sampling, LED colour processing, packets), and how long the fast
// path takes from the frame itself to the same record, on one thread, per LED count. Each
// fan fills a square panel of its own diameter; the selection is the middle 1080 x 1080 of a
// 1920 x 1080 frame of noise. The two records are compared byte for byte.

#include "bitplanes.h"
#include "bladetypes.h"
#include "fan.h"
#include "noiseimage.h"
#include "panel.h"
#include "panelconversion.h"
#include "sampling.h"

#include <QElapsedTimer>
#include <QImage>

#include <algorithm>
#include <cstdio>
#include <vector>

namespace {

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

int main()
{
    const QImage frame = noiseImage(1920, 1080, 2024);
    const int repeats = 9;
    int status = 0;

    std::printf("%6s %8s %14s %12s %9s\n", "LEDs", "samples", "reference ms", "fast ms",
                "speed-up");
    for (const BladeType& blade : bladeTypes) {
        const int ledpcs = blade.ledpcs;
        Panel panel;
        panel.width = ledpcs;
        panel.height = ledpcs;
        panel.selection = QRectF(420, 0, 1080, 1080);
        Fan fan;
        fan.ledpcs = ledpcs;
        fan.diameter = ledpcs;
        fan.x = panel.width / 2;
        fan.y = panel.height / 2;
        panel.fans.append(&fan);

        const LayerImages layers = buildLayerImages(frame, panel);
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
        std::printf("%6d %8ld %14.2f %12.3f %8.1fx\n", ledpcs, samples, referenceMs, fastMs,
                    referenceMs / fastMs);
        if (conversion.frameRecord(0) != reference) {
            std::fprintf(stderr, "the records of %d LEDs differ\n", ledpcs);
            status = 1;
        }
    }
    return status;
}
