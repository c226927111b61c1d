// What a range late in a long clip costs against a clip of its own length: the decode-only
// run of the frame source (no callback, at an 18 Hz panel's rate) over the range [START,
// START + LENGTH) of LONG, and over the whole of SHORT. Prints the wall time of each (the
// median of REPEATS runs), the pictures delivered and the ratio, which the seek to the key
// frame before the start keeps near 1 however late the range lies.
//
//   bench_range LONG SHORT START_SECONDS LENGTH_SECONDS [REPEATS]

#include "core.h"
#include "panel.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QLoggingCategory>

#include <algorithm>
#include <cstdio>
#include <iostream>
#include <vector>

namespace {

struct Measure
{
    double seconds = 0;
    int frames = 0;
};

Measure decode(const QString& file, const ClipRange& range, int repeats)
{
    std::vector<double> times;
    int frames = 0;
    for (int round = 0; round < repeats; ++round) {
        Core core;
        Panel panel;
        panel.hz = 18;
        core.panel = &panel;
        core.setFileName(file);
        core.sourceOptions.range = range;
        frames = 0;
        QElapsedTimer clock;
        clock.start();
        Core::decodeVideo([&frames](QImage*, Core*, int) { ++frames; }, &core, 999999, false);
        times.push_back(clock.nsecsElapsed() / 1e9);
    }
    std::sort(times.begin(), times.end());
    return {times[times.size() / 2], frames};
}

} // namespace

int main(int argc, char* argv[])
{
    QCoreApplication app(argc, argv);
    if (argc < 5) {
        std::fprintf(stderr,
                     "usage: bench_range LONG SHORT START_SECONDS LENGTH_SECONDS [REPEATS]\n");
        return 2;
    }
    QLoggingCategory::setFilterRules(QStringLiteral("*.debug=false"));
    std::cout.rdbuf(nullptr); // the frame source's rate line
    const qint64 startUs = qint64(std::atof(argv[3]) * 1e6);
    const qint64 lengthUs = qint64(std::atof(argv[4]) * 1e6);
    const int repeats = argc > 5 ? std::max(1, std::atoi(argv[5])) : 3;

    const Measure late =
        decode(QString::fromLocal8Bit(argv[1]), {startUs, startUs + lengthUs}, repeats);
    const Measure own = decode(QString::fromLocal8Bit(argv[2]), ClipRange(), repeats);
    std::printf("| run | frames | seconds |\n|---|---:|---:|\n");
    std::printf("| range %s s + %s s of the long clip | %d | %.3f |\n", argv[3], argv[4],
                late.frames, late.seconds);
    std::printf("| the short clip, whole | %d | %.3f |\n", own.frames, own.seconds);
    std::printf("\nratio: %.2f\n", own.seconds > 0 ? late.seconds / own.seconds : 0.0);
    return 0;
}
