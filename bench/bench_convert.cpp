// Prints how long converting one frame takes for one fan, per LED count: the fan's frame
// record alone (sampling, colour processing, packets) and a whole OutputRun frame (layer
// images from a 1920 x 1080 frame, the record, the write).

#include "fan.h"
#include "fandatafile.h"
#include "noiseimage.h"
#include "outputrun.h"
#include "panel.h"
#include "sampling.h"

#include <QElapsedTimer>
#include <QImage>
#include <QLoggingCategory>
#include <QTemporaryDir>

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
    QLoggingCategory::setFilterRules("default.debug=false");
    QTemporaryDir dir;
    if (!dir.isValid()) {
        std::fprintf(stderr, "no temporary directory\n");
        return 1;
    }
    const QImage frame = noiseImage(1920, 1080, 2024);
    const int repeats = 7;

    std::printf("%6s %8s %14s %14s\n", "LEDs", "points", "record ms", "run frame ms");
    for (const int ledpcs : {1088, 704, 512, 320, 256, 224, 192}) {
        // The whole blade inside the panel, the selection the whole frame.
        Panel panel;
        panel.width = ledpcs + 8;
        panel.height = ledpcs + 8;
        panel.selection = QRectF(frame.rect());
        Fan fan;
        fan.ledpcs = ledpcs;
        fan.diameter = ledpcs;
        fan.x = panel.width / 2;
        fan.y = panel.height / 2;
        panel.fans.append(&fan);

        const LayerImages layers = buildLayerImages(frame, panel);
        qint64 bytes = 0;
        const double recordMs =
            medianMs(repeats, [&] { bytes += fanFrameRecord(layers.frameImage_z0, fan).size(); });

        OutputRun run;
        if (!run.open(dir.filePath(QString("bench%1").arg(ledpcs)), &panel)) {
            std::fprintf(stderr, "%s\n", qPrintable(run.errorString()));
            return 1;
        }
        const double runMs = medianMs(repeats, [&] { run.convertFrame(frame); });
        run.close();

        const long points = long(fanLineCount(ledpcs)) * 2 * ((ledpcs + 1) / 2);
        std::printf("%6d %8ld %14.2f %14.2f\n", ledpcs, points, recordMs, runMs);
        if (bytes != repeats * frameRecordSize(ledpcs))
            std::fprintf(stderr, "unexpected record size for %d LEDs\n", ledpcs);
    }
    return 0;
}
